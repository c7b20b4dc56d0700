#include "board/cursorrect.h"

#include "controls/twips.h"

namespace honura::cursorrect {

using twips::roundEven;

std::int32_t frameTwips(const WindowTwips& w)
{
    return roundEven((static_cast<double>(w.outerWidth) - w.clientWidth) / 2);
}

PixelRect clientRect(const WindowTwips& w, double px, double py)
{
    const double f = frameTwips(w);
    const double leftFrame = w.leftFrame.value_or(f);
    const double bottomFrame = w.bottomFrame.value_or(f);
    PixelRect r;
    r.left = roundEven((static_cast<double>(w.left) + leftFrame) / px);
    r.top =
        roundEven((static_cast<double>(w.top) + w.outerHeight - w.clientHeight - bottomFrame) / py);
    r.right = roundEven(static_cast<double>(w.clientWidth) / px + r.left);
    r.bottom = roundEven(static_cast<double>(w.clientHeight) / py + r.top);
    return r;
}

} // namespace honura::cursorrect
