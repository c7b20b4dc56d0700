#include "controls/twips.h"

#include <cmath>
#include <limits>

namespace honura::twips {

std::int32_t floorInt(double x)
{
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(x))
        return 0;
    const double f = std::floor(x);
    if (f <= lo)
        return std::numeric_limits<std::int32_t>::min();
    if (f >= hi)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(f);
}

std::int32_t roundEven(double x)
{
    if (std::isnan(x))
        return 0;
    // Nearest, ties to even, whatever the current floating-point rounding mode.
    double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        r = 2.0 * std::round(x / 2.0);
    return floorInt(r);
}

int twipsToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

PixelBox toPixels(const TwipBox& b, double tppX, double tppY)
{
    const int x0 = twipsToPixels(b.left, tppX);
    const int y0 = twipsToPixels(b.top, tppY);
    const int x1 = twipsToPixels(static_cast<double>(b.left) + b.width, tppX);
    const int y1 = twipsToPixels(static_cast<double>(b.top) + b.height, tppY);
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace honura::twips
