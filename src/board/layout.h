#pragma once
// Board layout arithmetic: where the message box, the torii, the answer fields
// and the 65 character cells go for a given outer window size. Pure functions;
// all intermediate arithmetic in double precision, results in twips as stored
// by the controls (single precision).

#include "controls/twips.h"

#include <array>
#include <cstdint>

namespace honura::layout {

using twips::TwipBox;

inline constexpr int kCellCount = 65; // LblChar indexes 0..64
inline constexpr int kColumns = 11;

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

} // namespace honura::layout
