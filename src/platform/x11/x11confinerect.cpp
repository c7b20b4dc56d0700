#include "platform/x11/x11confinerect.h"

#include <algorithm>

namespace honura::confine {

std::optional<PixelRect> visiblePart(const PixelRect& r, int screenWidth, int screenHeight)
{
    const PixelRect v{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, screenWidth),
                      std::min(r.bottom, screenHeight)};
    if (v.right <= v.left || v.bottom <= v.top)
        return std::nullopt;
    return v;
}

QPoint nearestInside(QPoint p, const PixelRect& r)
{
    return {std::clamp(p.x(), r.left, r.right - 1), std::clamp(p.y(), r.top, r.bottom - 1)};
}

PixelRect shifted(const PixelRect& r, QPoint by)
{
    return {r.left + by.x(), r.top + by.y(), r.right + by.x(), r.bottom + by.y()};
}

} // namespace honura::confine
