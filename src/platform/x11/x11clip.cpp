// Pointer confinement on X11.
//
// On an X server of its own (Xorg, Xvfb) the pointer is held inside the
// rectangle by four XFixes pointer barriers, one on each edge, each an endless
// line: barriers cut at the rectangle's corners, or even at the screen's
// edges, let diagonal motion slip out. Barriers stop every relative motion
// (mice, touch pads); they leave Qt's own pointer grabs (popup menus) and the
// program's other windows alone, so menus and modal windows work as usual
// inside the rectangle, and the confinement is still there when they close.
//
// XWayland cannot hold the pointer in an arbitrary rectangle, only inside one
// window, by an active pointer grab confined to it; so there the pointer is
// confined to the board window. The same holds on a server without pointer
// barriers. Qt replaces that grab with its own for popup menus and drops it
// when they close; the grab is taken again then. A grab would starve the
// program's modal windows where they lie beyond the board, and dialogs on
// other connections altogether, so it waits while one of them is up.
//
// Barriers stop relative motion only: absolute pointer devices (tablets, touch
// screens, the pointer of a virtual machine or a remote desktop) and warps
// pass them. So while the barriers stand, every pointer event the server sends
// the program is looked at: motion over any of its windows and the pointer
// leaving one of them, each of which says where the pointer is. One that finds
// the pointer outside the rectangle moves it back to the rectangle's nearest
// point. An absolute jump out of the board is undone at the first event it
// causes; a pointer that stays inside costs one comparison per event. Away
// from the program's windows (over a window of another program that lies on
// the board, say) the program hears nothing of the pointer, so there it asks
// where the pointer is, twenty times a second, until it is back.
//
// Barriers and grabs belong to the program's X connection: when the program
// ends, in whatever way (a crash, SIGKILL, SIGTERM and SIGINT included), the
// server drops them with the connection and the pointer is free.

#include "platform/x11/x11platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

namespace honura {

namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The major opcode of the named extension, or 0 when the server lacks it.
uint8_t extensionOpcode(xcb_connection_t* c, const char* name)
{
    xcb_query_extension_reply_t* r = xcb_query_extension_reply(
        c, xcb_query_extension(c, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const uint8_t opcode = r && r->present ? r->major_opcode : 0;
    std::free(r);
    return opcode;
}

bool hasExtension(xcb_connection_t* c, const char* name) { return extensionOpcode(c, name) != 0; }

// What a pointer event says of the pointer: where it is, in screen pixels,
// and whether it is over one of the program's windows (motion there, or
// entering one) or away from them (leaving one, or entering the root window,
// where Qt watches crossings). Core motion, enter and leave events count, and
// their XInput 2 forms (which Qt asks for where the server has them), xiOpcode
// being the XInput extension's opcode.
struct PointerEvent {
    QPoint at;
    bool away = false;
};

std::optional<PointerEvent> pointerEvent(const xcb_generic_event_t* e, uint8_t xiOpcode,
                                         xcb_window_t root)
{
    const uint8_t type = e->response_type & 0x7f;
    if (type == XCB_MOTION_NOTIFY) {
        const auto* m = reinterpret_cast<const xcb_motion_notify_event_t*>(e);
        return PointerEvent{{m->root_x, m->root_y}};
    }
    if (type == XCB_ENTER_NOTIFY || type == XCB_LEAVE_NOTIFY) {
        const auto* m = reinterpret_cast<const xcb_enter_notify_event_t*>(e);
        return PointerEvent{{m->root_x, m->root_y}, type == XCB_LEAVE_NOTIFY || m->event == root};
    }
    const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(e);
    if (type != XCB_GE_GENERIC || xiOpcode == 0 || ge->extension != xiOpcode)
        return std::nullopt;
    // Positions are 16.16 fixed point: the whole part is the pixel.
    if (ge->event_type == XCB_INPUT_MOTION) {
        const auto* m = reinterpret_cast<const xcb_input_motion_event_t*>(e);
        return PointerEvent{{m->root_x >> 16, m->root_y >> 16}};
    }
    if (ge->event_type == XCB_INPUT_ENTER || ge->event_type == XCB_INPUT_LEAVE) {
        const auto* m = reinterpret_cast<const xcb_input_enter_event_t*>(e);
        return PointerEvent{{m->root_x >> 16, m->root_y >> 16},
                            ge->event_type == XCB_INPUT_LEAVE || m->event == root};
    }
    return std::nullopt;
}

// XWayland announces itself by an extension of its own since version 23, and
// before that by the names of its outputs, which Qt gives its screens.
bool isXWayland(xcb_connection_t* c)
{
    if (hasExtension(c, "XWAYLAND"))
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [](const QScreen* s) {
        return s->name().startsWith(QLatin1String("XWAYLAND"));
    });
}

// XFixes 5 brought pointer barriers. Asks for the version the library knows,
// as Qt does, so that this connection's XFixes version is never lowered.
bool hasBarriers(xcb_connection_t* c)
{
    if (!hasExtension(c, "XFIXES"))
        return false;
    xcb_xfixes_query_version_reply_t* r = xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr);
    const bool ok = r && r->major_version >= 5;
    std::free(r);
    return ok;
}

// The top-level window of the program that holds the given point.
QWindow* windowAt(QPoint p)
{
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w->isVisible() && w->type() == Qt::Window && w->frameGeometry().contains(p))
            return w;
    }
    return nullptr;
}

// How often the pointer is asked for while it is away from the program's
// windows, in milliseconds: twenty times a second.
constexpr int kAwayPollMs = 50;

class Confinement : public QObject, public QAbstractNativeEventFilter {
  public:
    static Confinement& get()
    {
        static Confinement* c = new Confinement; // lives as long as the X connection
        return *c;
    }

    Confinement()
    {
        awayPoll_.setInterval(kAwayPollMs);
        connect(&awayPoll_, &QTimer::timeout, this, &Confinement::pollPointer);
    }

    bool confine(const PixelRect& logical);
    bool release();

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    enum class Server { Unknown, Barriers, GrabOnly };
    Server server(xcb_connection_t* c);
    bool confineByBarriers(xcb_connection_t* c, const PixelRect& r);
    void holdInside(xcb_connection_t* c, QPoint at) const;
    void pollPointer();
    bool grabAllowed() const;
    bool updateGrab();

    Server server_ = Server::Unknown;
    uint8_t xiOpcode_ = 0;
    std::vector<xcb_xfixes_barrier_t> barriers_;
    std::optional<PixelRect> held_; // the rectangle the barriers stand around
    QTimer awayPoll_;               // while the pointer is away from the program's windows
    QPointer<QWindow> grabWindow_;  // XWayland: the window the pointer is held in
    bool focusLost_ = false;        // another program's window took the focus meanwhile
};

Confinement::Server Confinement::server(xcb_connection_t* c)
{
    if (server_ == Server::Unknown) {
        if (isXWayland(c))
            server_ = Server::GrabOnly;
        else
            server_ = hasBarriers(c) ? Server::Barriers : Server::GrabOnly;
        if (server_ == Server::Barriers) {
            xiOpcode_ = extensionOpcode(c, "XInputExtension");
            qApp->installNativeEventFilter(this);
        }
    }
    return server_;
}

bool Confinement::confine(const PixelRect& logical)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    release();
    if (server(c) == Server::Barriers)
        return confineByBarriers(c, toDevicePixels(logical));
    const QPoint centre((logical.left + logical.right) / 2, (logical.top + logical.bottom) / 2);
    grabWindow_ = windowAt(centre);
    focusLost_ = false;
    if (!grabWindow_)
        return false;
    static bool filtering = false;
    if (!filtering) {
        qApp->installEventFilter(this);
        filtering = true;
    }
    return updateGrab();
}

bool Confinement::confineByBarriers(xcb_connection_t* c, const PixelRect& r)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen || r.right <= r.left || r.bottom <= r.top)
        return false;
    const xcb_window_t root = screen->root;
    const int width = screen->width_in_pixels;
    const int height = screen->height_in_pixels;

    // Bring the pointer inside first, as the barriers only stop it crossing.
    held_ = r;
    xcb_query_pointer_reply_t* p = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    if (p) {
        holdInside(c, QPoint(p->root_x, p->root_y));
        std::free(p);
    }

    // A barrier at x stops leftward motion at x and rightward motion at x - 1,
    // so the right and bottom edges, which lie outside the rectangle, hold the
    // pointer on its last column and row. Each lets the pointer in.
    //
    // Each barrier is an endless line: both of its ends negative, which the
    // server takes as a line without ends. A segment, even one across the
    // whole screen, lets diagonal motion through: the server checks where the
    // motion meets the barrier's line at a point mirrored about the motion's
    // start, which for a segment often lies beyond its ends.
    const auto clampX = [width](int v) { return static_cast<uint16_t>(std::clamp(v, 0, width)); };
    const auto clampY = [height](int v) { return static_cast<uint16_t>(std::clamp(v, 0, height)); };
    constexpr auto kEndless1 = static_cast<uint16_t>(-1);
    constexpr auto kEndless2 = static_cast<uint16_t>(-2);
    struct Line {
        uint16_t x1, y1, x2, y2;
        uint32_t passes;
    };
    const std::array<Line, 4> lines = {{
        {clampX(r.left), kEndless1, clampX(r.left), kEndless2,
         XCB_XFIXES_BARRIER_DIRECTIONS_POSITIVE_X},
        {clampX(r.right), kEndless1, clampX(r.right), kEndless2,
         XCB_XFIXES_BARRIER_DIRECTIONS_NEGATIVE_X},
        {kEndless1, clampY(r.top), kEndless2, clampY(r.top),
         XCB_XFIXES_BARRIER_DIRECTIONS_POSITIVE_Y},
        {kEndless1, clampY(r.bottom), kEndless2, clampY(r.bottom),
         XCB_XFIXES_BARRIER_DIRECTIONS_NEGATIVE_Y},
    }};
    bool ok = true;
    for (const Line& l : lines) {
        const xcb_xfixes_barrier_t id = xcb_generate_id(c);
        const xcb_void_cookie_t ck = xcb_xfixes_create_pointer_barrier_checked(
            c, id, root, l.x1, l.y1, l.x2, l.y2, l.passes, 0, nullptr);
        if (xcb_generic_error_t* err = xcb_request_check(c, ck)) {
            std::free(err);
            ok = false;
            continue;
        }
        barriers_.push_back(id);
    }
    xcb_flush(c);
    return ok;
}

// Moves the pointer, found at the given place, to the nearest point of the
// rectangle when it lies outside.
void Confinement::holdInside(xcb_connection_t* c, QPoint at) const
{
    if (!held_)
        return;
    const PixelRect& r = *held_;
    const int x = std::clamp(at.x(), r.left, r.right - 1);
    const int y = std::clamp(at.y(), r.top, r.bottom - 1);
    if (x == at.x() && y == at.y())
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_warp_pointer(c, XCB_NONE, screen->root, 0, 0, 0, 0, static_cast<int16_t>(x),
                     static_cast<int16_t>(y));
    xcb_flush(c);
}

bool Confinement::nativeEventFilter(const QByteArray& /*type*/, void* message, qintptr* /*result*/)
{
    xcb_connection_t* c = held_ ? connection() : nullptr;
    if (!c)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::optional<PointerEvent> p =
        pointerEvent(static_cast<const xcb_generic_event_t*>(message), xiOpcode_, root);
    if (p) {
        holdInside(c, p->at);
        if (!p->away)
            awayPoll_.stop();
        else if (!awayPoll_.isActive())
            awayPoll_.start();
    }
    return false; // Qt handles the event as usual
}

void Confinement::pollPointer()
{
    xcb_connection_t* c = connection();
    if (!c || !held_)
        return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_pointer_reply_t* p = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    if (p)
        holdInside(c, QPoint(p->root_x, p->root_y));
    std::free(p);
}

// Where the pointer can only be held by a grab, the program's modal windows
// (the record window, the About window, the font dialog) and a window of
// another program that has the focus need the pointer free: the grab waits
// until they are gone.
bool Confinement::grabAllowed() const
{
    return grabWindow_ && grabWindow_->isVisible() && !QGuiApplication::modalWindow() &&
           !focusLost_;
}

bool Confinement::updateGrab()
{
    xcb_connection_t* c = connection();
    if (!c || !grabWindow_)
        return false;
    if (!grabAllowed()) {
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        return true;
    }
    const auto win = static_cast<xcb_window_t>(grabWindow_->winId());
    const uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                          XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                          XCB_EVENT_MASK_LEAVE_WINDOW;
    // Owner events: the program's windows get their pointer events as usual.
    xcb_grab_pointer_reply_t* r = xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 1, win, mask, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, win, XCB_NONE,
                         XCB_CURRENT_TIME),
        nullptr);
    const bool ok = r && r->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(r);
    return ok;
}

bool Confinement::release()
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    for (const xcb_xfixes_barrier_t id : barriers_)
        xcb_xfixes_delete_pointer_barrier(c, id);
    barriers_.clear();
    held_.reset();
    awayPoll_.stop();
    if (grabWindow_) {
        grabWindow_ = nullptr;
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
    return true;
}

// Qt takes the pointer grab for a popup menu and lets it go when the menu
// closes; modal windows come and go, and so does the focus: the grab follows.
bool Confinement::eventFilter(QObject* watched, QEvent* e)
{
    if (grabWindow_) {
        const auto* w = qobject_cast<QWindow*>(watched);
        const bool popupGone = e->type() == QEvent::Hide && w && w->type() == Qt::Popup;
        const bool modal = (e->type() == QEvent::Show || e->type() == QEvent::Hide) && w &&
                           w->modality() != Qt::NonModal;
        if (e->type() == QEvent::ApplicationStateChange)
            focusLost_ = QGuiApplication::applicationState() != Qt::ApplicationActive &&
                         !QGuiApplication::modalWindow();
        if (popupGone || modal || e->type() == QEvent::ApplicationStateChange)
            QTimer::singleShot(0, this, [this] { updateGrab(); });
    }
    return QObject::eventFilter(watched, e);
}

} // namespace

bool X11Platform::clipCursor(const PixelRect* rect)
{
    Confinement& c = Confinement::get();
    return rect ? c.confine(*rect) : c.release();
}

} // namespace honura
