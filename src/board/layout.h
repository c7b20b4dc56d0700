#pragma once
// Board layout arithmetic: where the message box, the torii, the answer fields
// and the 65 character cells go for a given outer window size. Pure functions;
// all intermediate arithmetic in double precision, results in twips as stored
// by the controls (single precision).

#include <array>
#include <cstdint>

namespace honura::layout {

inline constexpr int kCellCount = 65; // LblChar indexes 0..64
inline constexpr int kColumns = 11;

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

// TxtMsg: top, left and width; its height is fixed.
struct TxtMsgPlace {
    float top;
    float left;
    float width;
};
TxtMsgPlace txtMsgPlace(double outerWidth);

// ImgMark: top and left for a picture of pictureWidth x pictureHeight twips.
struct ImgMarkPlace {
    float top;
    float left;
};
ImgMarkPlace imgMarkPlace(double outerWidth, double outerHeight, double pictureWidth,
                          double pictureHeight);

// lblYes, lblNo and every LblChar element.
struct BoardPlaces {
    TwipBox yes;
    TwipBox no;
    std::array<TwipBox, kCellCount> cells;
};
BoardPlaces boardPlaces(double outerWidth, double outerHeight);

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

} // namespace honura::layout
