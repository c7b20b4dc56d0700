#include "board/layout.h"

#include <cmath>
#include <limits>

namespace honura::layout {

using twips::floorInt;

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

} // namespace honura::layout
