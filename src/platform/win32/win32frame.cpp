// The board's and the dialogs' frames as Windows has them.
#include "platform/win32/win32platform.h"

#include <QWidget>
#include <QWindow>

#include <cmath>

#include <windows.h>

namespace honura {

namespace {

// The native window of the top-level widget w, or nullptr where it has none yet.
HWND nativeWindow(const QWidget& w)
{
    const QWindow* window = w.windowHandle();
    if (!w.isWindow() || !window || !window->handle())
        return nullptr;
    return reinterpret_cast<HWND>(window->winId());
}

} // namespace

// The window's rectangle around its client area: what Windows draws, padded
// borders included, which Qt's own reckoning of a frame can leave out.
QMargins Win32Platform::windowFrame(const QWidget& w) const
{
    const HWND h = nativeWindow(w);
    RECT outer{};
    RECT client{};
    if (!h || !GetWindowRect(h, &outer) || !GetClientRect(h, &client))
        return DesktopPlatform::windowFrame(w);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const double ratio = w.windowHandle()->devicePixelRatio();
    const auto logical = [ratio](long device) {
        return static_cast<int>(std::lround(static_cast<double>(device) / ratio));
    };
    return {logical(client.left - outer.left), logical(client.top - outer.top),
            logical(outer.right - client.right), logical(outer.bottom - client.bottom)};
}

// Windows moves and sizes a window it maximises before Qt reports the change
// of state: the window's own state tells at once.
bool Win32Platform::inNormalState(const QWidget& w) const
{
    const HWND h = nativeWindow(w);
    return DesktopPlatform::inNormalState(w) && !(h && (IsZoomed(h) || IsIconic(h)));
}

} // namespace honura
