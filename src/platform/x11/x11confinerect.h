#pragma once
// The arithmetic of holding the pointer in a rectangle of screen pixels (right
// and bottom exclusive): the part of the rectangle on the screen, the point of
// it nearest to where the pointer went, and the rectangle carried along with
// its window. Pure functions, no X calls.

#include "platform/platform.h"

#include <QPoint>
#include <optional>

namespace honura::confine {

// The part of r that lies on the screen (0, 0, width, height); nothing where
// none of it does.
std::optional<PixelRect> visiblePart(const PixelRect& r, int screenWidth, int screenHeight);

// The point of r nearest to p: p itself where it lies inside.
QPoint nearestInside(QPoint p, const PixelRect& r);

// r moved by the given distance.
PixelRect shifted(const PixelRect& r, QPoint by);

} // namespace honura::confine
