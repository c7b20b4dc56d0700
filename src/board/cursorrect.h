#pragma once
// The rectangle of screen pixels that possession mode confines the pointer to:
// the board's client area, worked out from the window's outer rectangle, its
// client size and, where the window system tells them, its real frames. Pure
// arithmetic, no widgets.

#include "platform/platform.h"

#include <optional>

namespace honura::cursorrect {

// What the window system reports at the moment of the call, in twips (single
// precision, as the window keeps them) and twips per screen pixel.
struct WindowTwips {
    float left = 0;         // X: outer left edge, screen coordinates
    float top = 0;          // Y: outer top edge
    float outerWidth = 0;   // W: frame, title bar and menu bar included
    float outerHeight = 0;  // H
    float clientWidth = 0;  // SW: inside the frame, below the menu bar
    float clientHeight = 0; // SH
    // The real left and bottom frames in twips, where the window system knows
    // them. Without them both are taken as thick as the side frame F, which is
    // exact only where the window manager draws all three sides alike.
    std::optional<double> leftFrame = std::nullopt;
    std::optional<double> bottomFrame = std::nullopt;
};

// The thickness of one side frame in twips: half the difference between the
// outer and the client width, rounded halves to even. The left, right and
// bottom frames are taken as equally thick.
std::int32_t frameTwips(const WindowTwips& w);

// The client area in screen pixels (left, top, right, bottom). The left edge
// is the window's left plus the left frame; the top edge is found from the
// bottom: the window's bottom less the bottom frame less the client height,
// whatever the title bar and menu bar measure. Right and bottom add the client
// size to the already rounded left and top.
PixelRect clientRect(const WindowTwips& w, double twipsPerPixelX, double twipsPerPixelY);

} // namespace honura::cursorrect
