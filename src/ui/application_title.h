#pragma once

#include <QString>

// The application title derived from a product name: the last word is dropped, and words go
// on being dropped from the end while the title is longer than 40 characters. A name without
// a blank is its own title; a single word longer than 40 characters is cut at 40.
QString ApplicationTitleFor(const QString& productName);
