#pragma once

// The layout was drawn in twips; 15 twips make one pixel, rounded to the nearest.
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}
