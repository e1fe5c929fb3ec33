#pragma once

class QWidget;

// Backgrounds and texts set as pairs, so no desktop colour scheme can put its own text colour
// on a background the layout fixes, or the other way round.

// The layout's white background with dark text on it, whatever the desktop's scheme.
void whiteWithDarkText(QWidget* widget);

// The desktop's button face with the desktop's text for it, light or dark: what a skin paints
// behind the controls it does not draw itself.
void buttonFaceWithItsText(QWidget* widget);

// The desktop's own colours for the widget and everything in it, each background with its own
// text colour, instead of the window's white; they follow the desktop when its scheme changes.
void keepDesktopColours(QWidget* widget);
