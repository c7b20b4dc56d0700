#include "board/layout.h"

#include <cmath>
#include <limits>

namespace honura::layout {

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

TxtMsgPlace txtMsgPlace(double W)
{
    const std::int32_t m = floorInt(W * 0.05);
    // W - 2m, with 2m taken in 32-bit arithmetic (never near its limit for a real window).
    const auto twiceM = static_cast<std::int32_t>(static_cast<std::int64_t>(m) * 2);
    return {0.0f, static_cast<float>(m), static_cast<float>(W - twiceM)};
}

ImgMarkPlace imgMarkPlace(double W, double H, double w, double h)
{
    const double top = H * 0.2 - floorInt(h / 2);
    const double left = W * 0.5 - floorInt(w / 2);
    return {static_cast<float>(top), static_cast<float>(left)};
}

BoardPlaces boardPlaces(double W, double H)
{
    BoardPlaces p;
    const std::int32_t C = floorInt((W - W * 0.05) / 11);
    const std::int32_t R = floorInt(H * 0.6 / 6);
    const auto f = [](double v) { return static_cast<float>(v); };

    p.yes.top = f(floorInt(H * 0.2));
    p.yes.left = f(static_cast<double>(floorInt(W * 0.25)) - C);
    p.yes.width = f(2.0 * C);
    p.yes.height = f(R);

    p.no.top = p.yes.top;
    p.no.left = f(static_cast<double>(floorInt(W * 0.75)) - C);
    p.no.width = p.yes.width;
    p.no.height = p.yes.height;

    const std::int32_t B = floorInt(H * 0.4);
    for (int i = 0; i < kCellCount; ++i) {
        TwipBox& cell = p.cells[static_cast<std::size_t>(i)];
        cell.height = f(R);
        cell.width = f(C);
        cell.top = f(static_cast<double>(floorInt(i / 11.0 - 1)) * R + B);
        cell.left = f(static_cast<double>(i % kColumns) * C);
    }
    return p;
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

} // namespace honura::layout
