#pragma once
// Twips (1/1440 inch), the unit in which every window places its controls,
// and the whole numbers and screen pixels derived from them. Pure functions;
// intermediate arithmetic in double precision.

#include <cstdint>

namespace honura::twips {

// A control's place in twips, relative to the client area's top-left corner.
struct TwipBox {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const TwipBox&, const TwipBox&) = default;
};

// Rounds down to a 32-bit signed integer (towards minus infinity), saturating
// at the ends of the range.
std::int32_t floorInt(double x);
// Rounds to the nearest 32-bit signed integer, halves to the even neighbour
// (2.5 gives 2, 3.5 gives 4), saturating at the ends of the range.
std::int32_t roundEven(double x);

// A box in twips mapped onto whole pixels: the edges are rounded, so that
// neighbouring boxes stay neighbours.
struct PixelBox {
    int x;
    int y;
    int width;
    int height;
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};
PixelBox toPixels(const TwipBox& box, double twipsPerPixelX, double twipsPerPixelY);
int twipsToPixels(double twips, double twipsPerPixel);

} // namespace honura::twips
