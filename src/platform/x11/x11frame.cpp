// The frame of the program's dialogs on X11.
#include "platform/x11/x11platform.h"
#include "platform/x11/x11server.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <xcb/xcb.h>

namespace honura {

namespace {

// The value of a property of window, as bytes (empty where it is not set).
QByteArray property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const auto r = x11::reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 256), nullptr));
    if (!r || r->type != type)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(r.get())),
            xcb_get_property_value_length(r.get())};
}

// Tells a top-level widget when the window manager changes the frame around
// it: maximising may take borders away after the window has been resized.
class FrameWatch : public QAbstractNativeEventFilter {
  public:
    explicit FrameWatch(xcb_atom_t extents) : extents_(extents) {}

    bool nativeEventFilter(const QByteArray& /*type*/, void* message, qintptr* /*result*/) override
    {
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* p = static_cast<const xcb_property_notify_event_t*>(message);
        if (p->atom != extents_)
            return false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() && w->windowHandle()->handle() && w->winId() == p->window)
                QCoreApplication::postEvent(w, new QEvent(frameChangeEvent()));
        return false;
    }

  private:
    xcb_atom_t extents_;
};

} // namespace

// The frame as the window manager announces it (_NET_FRAME_EXTENTS), read
// afresh: Qt reads it once after each move or resize, which may come before
// the window manager changes it.
QMargins X11Platform::windowFrame(const QWidget& w) const
{
    xcb_connection_t* c = x11::connection();
    const QWindow* window = w.windowHandle();
    if (!c || !w.isWindow() || !window || !window->handle())
        return DesktopPlatform::windowFrame(w);
    // Looked up once, and watched from then on (one connection for the program).
    static const xcb_atom_t extents = [c] {
        const xcb_atom_t a = x11::atom(c, "_NET_FRAME_EXTENTS");
        QCoreApplication::instance()->installNativeEventFilter(new FrameWatch(a));
        return a;
    }();
    const QByteArray v =
        property(c, static_cast<xcb_window_t>(window->winId()), extents, XCB_ATOM_CARDINAL);
    if (v.size() != 4 * sizeof(std::uint32_t))
        return DesktopPlatform::windowFrame(w);
    std::uint32_t side[4]; // left, right, top, bottom
    std::memcpy(side, v.constData(), sizeof side);
    const double ratio = window->devicePixelRatio();
    const auto logical = [ratio](std::uint32_t device) {
        return static_cast<int>(std::lround(device / ratio));
    };
    return {logical(side[0]), logical(side[2]), logical(side[1]), logical(side[3])};
}

// Window managers take away the minimise and maximise buttons that the Motif
// hints Qt sets leave out, all but Openbox: it keeps them on every dialog
// (only a resizable window gets the maximise function, but both buttons
// stay), and minimising the dialog hides the board with it. The one kind of
// window it frames with the close box alone is a helper window of the
// program: a toolbar, which it neither minimises nor maximises. There the
// dialog is given that type first, and the dialog type after it.
void X11Platform::useDialogFrame(QWidget& w)
{
    xcb_connection_t* c = x11::connection();
    if (!c || !w.isWindow() || x11::windowManagerName(c) != "Openbox")
        return;
    const auto window = static_cast<xcb_window_t>(w.winId());
    const xcb_atom_t types[] = {x11::atom(c, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                x11::atom(c, "_NET_WM_WINDOW_TYPE_DIALOG")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, x11::atom(c, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 2, types);
    xcb_flush(c);
}

} // namespace honura
