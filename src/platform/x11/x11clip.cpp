// Pointer confinement on X11 and on Wayland desktops through XWayland.
//
// The pointer is held by an active pointer grab confined to a window of the
// program's own that covers the rectangle exactly (the confine window, an
// override-redirect window that no window manager frames or moves). The X
// server clamps the pointer to it, for relative and absolute devices alike;
// XWayland turns the grab into a Wayland pointer confinement. The grab belongs
// to the program's X connection: when the program ends in whatever way (a
// crash, SIGKILL included) the server drops it, with everything else below,
// and the pointer is free.
//
// The grab is refused (AlreadyGrabbed) while a button is down: the press has
// an implicit grab of its own, and the double-click that asks for the
// confinement is such a press. So the grab is taken once the buttons are up,
// at the release; while it is refused (another program holds a grab: a menu
// open elsewhere) it is asked for again at the next release or motion, and
// four times a second, until it holds. Possession goes on meanwhile, the
// pointer free. It is asked for again at every release, too: a drag of text
// replaces it with a grab of Qt's own.
//
// A grab of the program's own would starve its modal windows (the record
// window, the About window, the font dialog) where they lie beyond the
// rectangle, and the windows of every other program: it waits while a modal
// window is up and while another program has the focus. Qt replaces it with a
// grab of its own for a popup menu and drops that when the menu closes; it is
// taken again then.
//
// On an X server of its own (Xorg, Xvfb) the confine window is input-only,
// with an empty input shape, and four XFixes pointer barriers stand on the
// rectangle's edges as well, each an endless line: barriers cut at the
// rectangle's corners, or even at the screen's edges, let diagonal motion slip
// out. They stop every relative motion (mice, touch pads) while the grab
// waits. Absolute motion and warps pass them: so, while they stand, every
// pointer event the server sends the program is looked at, and one that finds
// the pointer outside the rectangle moves it back to the rectangle's nearest
// point; away from the program's windows (over another program's window lying
// on the board) the program asks where the pointer is, twenty times a second,
// until it is back. With the barriers standing, the grab also waits after
// half a minute without pointer input and is taken again at the next motion:
// a screen locker must be able to grab the pointer.
//
// XWayland accepts barriers and does nothing with them, and cannot warp the
// compositor's pointer: there the grab is all, and the compositor confines
// its pointer to the surface of a window. mutter (GNOME) does so for any
// surface the pointer is on, but picks only surfaces that take input: there
// the confine window is a transparent window that takes input, which XWayland
// gives a surface of its own over the rectangle, exactly; it is shown only
// while the grab holds, and the grab reports its pointer events to the board's
// window, as those of a window that asked for none, and shows the board's
// cursor over it. KWin (KDE Plasma) confines the pointer only to its active
// window: there the confine window is input-only as on X11, KWin holds the
// pointer in the board's whole window, frame and title bar included (where it
// lets it go), and the X server holds its own copy of the pointer, which the
// program's windows go by, in the rectangle.
//
// When the screen changes while the pointer is held (a monitor unplugged, the
// resolution lowered), the part of the rectangle on the new screen holds it;
// where none of it is left the pointer goes free until the screen grows back.
// From a change of the screen on, the rectangle follows its window, which the
// window manager may bring onto the smaller screen.

#include "platform/x11/x11confinerect.h"
#include "platform/x11/x11platform.h"
#include "platform/x11/x11server.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <vector>
#include <xcb/xfixes.h>

namespace honura {

namespace {

// How often the pointer is asked for while it is away from the program's
// windows: twenty times a second.
constexpr int kAwayPollMs = 50;
// How often a refused grab is asked for again without pointer input: four
// times a second; and at most ten times a second on motion.
constexpr int kGrabRetryMs = 250;
constexpr int kGrabRetryOnMotionMs = 100;
// After this long without pointer input the grab waits, where barriers hold.
constexpr int kGrabIdleMs = 30000;

// The top-level window of the program that holds the given point.
QWindow* windowAt(QPoint p)
{
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w->isVisible() && w->type() == Qt::Window && w->frameGeometry().contains(p))
            return w;
    }
    return nullptr;
}

bool popupShown()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [](const QWindow* w) { return w->isVisible() && w->type() == Qt::Popup; });
}

// The position of a window's client area in device pixels.
QPoint devicePosition(const QWindow* w)
{
    const qreal dpr = w->devicePixelRatio();
    return {qRound(w->x() * dpr), qRound(w->y() * dpr)};
}

class Confinement : public QObject, public QAbstractNativeEventFilter {
  public:
    static Confinement& get()
    {
        static Confinement* c = new Confinement; // lives as long as the X connection
        return *c;
    }

    Confinement();
    bool confine(const PixelRect& logical);
    bool release();

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void learnServer(xcb_connection_t* c);
    void apply();
    void placeBarriers(xcb_connection_t* c, const PixelRect& r);
    void removeBarriers(xcb_connection_t* c);
    void placeConfineWindow(xcb_connection_t* c, const PixelRect& r);
    void showConfineWindow(xcb_connection_t* c, bool shown);
    void paintConfineWindow(xcb_connection_t* c);
    void destroyConfineWindow(xcb_connection_t* c);
    void holdInside(xcb_connection_t* c, QPoint at) const;
    void pollPointer();
    bool grabAllowed() const;
    void updateGrab();
    void takeGrab(xcb_connection_t* c);
    void dropGrab(xcb_connection_t* c);
    void askGrabSoon();
    void onPointerEvent(const x11::PointerEvent& p);

    // What the server offers, learnt at the first confinement.
    bool learnt_ = false;
    bool barriersWork_ = false; // an X server of its own with pointer barriers
    bool surfaceOfOwn_ = false; // a compositor that confines to a surface that never has focus
    uint8_t xiOpcode_ = 0;
    xcb_window_t root_ = 0;

    std::optional<PixelRect> wanted_; // the rectangle asked for, device pixels
    std::optional<PixelRect> held_;   // its part on the screen, where the pointer is held
    QPointer<QWindow> window_;        // the window the rectangle lies in
    QPoint windowAt_;                 // where that window was, device pixels
    bool followWindow_ = false;       // the screen changed: the rectangle follows the window

    std::vector<xcb_xfixes_barrier_t> barriers_;
    xcb_window_t confineWindow_ = 0;
    bool confineShown_ = false;
    bool grabbed_ = false;
    bool idle_ = false;      // the grab waits for pointer input
    bool focusLost_ = false; // another program's window has the focus
    bool askQueued_ = false;
    QElapsedTimer lastAsked_;

    QTimer awayPoll_;  // while the pointer is away from the program's windows
    QTimer grabRetry_; // while the grab is refused
    QTimer idleTimer_; // since the last pointer input
};

Confinement::Confinement()
{
    awayPoll_.setInterval(kAwayPollMs);
    connect(&awayPoll_, &QTimer::timeout, this, &Confinement::pollPointer);
    grabRetry_.setInterval(kGrabRetryMs);
    connect(&grabRetry_, &QTimer::timeout, this, &Confinement::updateGrab);
    idleTimer_.setInterval(kGrabIdleMs);
    idleTimer_.setSingleShot(true);
    connect(&idleTimer_, &QTimer::timeout, this, [this] {
        idle_ = true;
        updateGrab();
    });
}

void Confinement::learnServer(xcb_connection_t* c)
{
    if (learnt_)
        return;
    learnt_ = true;
    root_ = x11::rootWindow(c);
    xiOpcode_ = x11::extensionOpcode(c, "XInputExtension");
    if (x11::isXWayland(c)) {
        const QByteArray wm = x11::windowManagerName(c);
        surfaceOfOwn_ = (wm == "Mutter" || wm == "GNOME Shell") && x11::argbVisual(c) != 0;
    } else {
        barriersWork_ = x11::hasBarriers(c);
    }
    x11::watchRootSize(c);
    qApp->installNativeEventFilter(this);
    qApp->installEventFilter(this);
}

bool Confinement::confine(const PixelRect& logical)
{
    xcb_connection_t* c = x11::connection();
    if (!c)
        return false;
    release();
    learnServer(c);
    const QPoint centre((logical.left + logical.right) / 2, (logical.top + logical.bottom) / 2);
    window_ = windowAt(centre);
    if (window_)
        windowAt_ = devicePosition(window_);
    focusLost_ = false;
    idle_ = false;
    wanted_ = toDevicePixels(logical);
    apply();
    return held_.has_value();
}

// Holds the pointer in the part of the rectangle that is on the screen, or
// lets it go where none is.
void Confinement::apply()
{
    xcb_connection_t* c = x11::connection();
    if (!c || !wanted_)
        return;
    const QPoint screen = x11::rootSize(c);
    const std::optional<PixelRect> visible = confine::visiblePart(*wanted_, screen.x(), screen.y());
    if (visible == held_)
        return updateGrab();
    held_ = visible;
    if (!held_) {
        dropGrab(c);
        removeBarriers(c);
        destroyConfineWindow(c);
        awayPoll_.stop();
        grabRetry_.stop();
        xcb_flush(c);
        return;
    }
    if (barriersWork_)
        placeBarriers(c, *held_);
    placeConfineWindow(c, *held_);
    xcb_flush(c);
    updateGrab();
}

void Confinement::placeBarriers(xcb_connection_t* c, const PixelRect& r)
{
    removeBarriers(c);
    // Bring the pointer inside first, as the barriers only stop it crossing.
    const auto p = x11::queryPointer(c);
    if (p)
        holdInside(c, QPoint(p->root_x, p->root_y));

    // A barrier at x stops leftward motion at x and rightward motion at x - 1,
    // so the right and bottom edges, which lie outside the rectangle, hold the
    // pointer on its last column and row. Each lets the pointer in.
    //
    // Each barrier is an endless line: both of its ends negative, which the
    // server takes as a line without ends. A segment, even one across the
    // whole screen, lets diagonal motion through: the server checks where the
    // motion meets the barrier's line at a point mirrored about the motion's
    // start, which for a segment often lies beyond its ends.
    const auto at = [](int v) { return static_cast<uint16_t>(v); };
    constexpr auto kEndless1 = static_cast<uint16_t>(-1);
    constexpr auto kEndless2 = static_cast<uint16_t>(-2);
    struct Line {
        uint16_t x1, y1, x2, y2;
        uint32_t passes;
    };
    const std::array<Line, 4> lines = {{
        {at(r.left), kEndless1, at(r.left), kEndless2, XCB_XFIXES_BARRIER_DIRECTIONS_POSITIVE_X},
        {at(r.right), kEndless1, at(r.right), kEndless2, XCB_XFIXES_BARRIER_DIRECTIONS_NEGATIVE_X},
        {kEndless1, at(r.top), kEndless2, at(r.top), XCB_XFIXES_BARRIER_DIRECTIONS_POSITIVE_Y},
        {kEndless1, at(r.bottom), kEndless2, at(r.bottom),
         XCB_XFIXES_BARRIER_DIRECTIONS_NEGATIVE_Y},
    }};
    for (const Line& l : lines) {
        const xcb_xfixes_barrier_t id = xcb_generate_id(c);
        const xcb_void_cookie_t ck = xcb_xfixes_create_pointer_barrier_checked(
            c, id, root_, l.x1, l.y1, l.x2, l.y2, l.passes, 0, nullptr);
        if (xcb_generic_error_t* err = xcb_request_check(c, ck))
            std::free(err);
        else
            barriers_.push_back(id);
    }
}

void Confinement::removeBarriers(xcb_connection_t* c)
{
    for (const xcb_xfixes_barrier_t id : barriers_)
        xcb_xfixes_delete_pointer_barrier(c, id);
    barriers_.clear();
}

// The confine window: override-redirect (no window manager frames or moves
// it). Input-only, with an empty input shape, the pointer's events go to the
// windows below it. Where the compositor confines the pointer to a surface of
// its own, it is a transparent window, which XWayland gives a surface, and
// takes input: mutter picks only surfaces that do, and confines the pointer
// only to the surface under it. Its events go to the board all the same: the
// grab reports them to the board's window, as the events of a window that
// asked for none, and shows the board's cursor over it. It is shown only
// while the grab holds.
void Confinement::placeConfineWindow(xcb_connection_t* c, const PixelRect& r)
{
    const auto w = static_cast<uint16_t>(r.right - r.left);
    const auto h = static_cast<uint16_t>(r.bottom - r.top);
    if (confineWindow_ != 0) {
        const std::array<uint32_t, 4> geometry = {static_cast<uint32_t>(r.left),
                                                  static_cast<uint32_t>(r.top), w, h};
        xcb_configure_window(c, confineWindow_,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             geometry.data());
        if (confineShown_)
            paintConfineWindow(c); // what the new size uncovered
        return;
    }
    confineWindow_ = xcb_generate_id(c);
    const auto x = static_cast<int16_t>(r.left);
    const auto y = static_cast<int16_t>(r.top);
    if (surfaceOfOwn_) {
        const xcb_visualid_t visual = x11::argbVisual(c);
        const xcb_colormap_t colormap = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, root_, visual);
        // Values in the order of their mask bits.
        const std::array<uint32_t, 4> values = {0, 0, 1, colormap};
        xcb_create_window(
            c, 32, confineWindow_, root_, x, y, w, h, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
            XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_COLORMAP,
            values.data());
        xcb_free_colormap(c, colormap);
        return;
    }
    const uint32_t overrideRedirect = 1;
    xcb_create_window(c, 0, confineWindow_, root_, x, y, w, h, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    const xcb_xfixes_region_t empty = xcb_generate_id(c);
    xcb_xfixes_create_region(c, empty, 0, nullptr);
    xcb_xfixes_set_window_shape_region(c, confineWindow_, XCB_SHAPE_SK_INPUT, 0, 0, empty);
    xcb_xfixes_destroy_region(c, empty);
}

void Confinement::showConfineWindow(xcb_connection_t* c, bool shown)
{
    if (confineWindow_ == 0 || shown == confineShown_)
        return;
    confineShown_ = shown;
    if (!shown) {
        xcb_unmap_window(c, confineWindow_);
        return;
    }
    xcb_map_window(c, confineWindow_);
    paintConfineWindow(c);
}

// XWayland gives a surface content, which the compositor needs to put it
// under the pointer, once something is drawn on it: transparency.
void Confinement::paintConfineWindow(xcb_connection_t* c)
{
    if (!surfaceOfOwn_)
        return;
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t transparent = 0;
    xcb_create_gc(c, gc, confineWindow_, XCB_GC_FOREGROUND, &transparent);
    const xcb_rectangle_t all{0, 0, UINT16_MAX, UINT16_MAX};
    xcb_poly_fill_rectangle(c, confineWindow_, gc, 1, &all);
    xcb_free_gc(c, gc);
}

void Confinement::destroyConfineWindow(xcb_connection_t* c)
{
    if (confineWindow_ != 0)
        xcb_destroy_window(c, confineWindow_);
    confineWindow_ = 0;
    confineShown_ = false;
}

// Moves the pointer, found at the given place, to the nearest point of the
// rectangle when it lies outside.
void Confinement::holdInside(xcb_connection_t* c, QPoint at) const
{
    if (!held_)
        return;
    const QPoint inside = confine::nearestInside(at, *held_);
    if (inside == at)
        return;
    xcb_warp_pointer(c, XCB_NONE, root_, 0, 0, 0, 0, static_cast<int16_t>(inside.x()),
                     static_cast<int16_t>(inside.y()));
    xcb_flush(c);
}

void Confinement::onPointerEvent(const x11::PointerEvent& p)
{
    xcb_connection_t* c = x11::connection();
    if (barriersWork_) {
        holdInside(c, p.at);
        if (!p.away)
            awayPoll_.stop();
        else if (!awayPoll_.isActive())
            awayPoll_.start();
        idleTimer_.start();
        if (idle_) {
            idle_ = false;
            askGrabSoon();
        }
    }
    // A release ends the implicit grab that refused ours; it also ends a drag,
    // whose grab replaced ours.
    if (p.released ||
        (!grabbed_ && (!lastAsked_.isValid() || lastAsked_.elapsed() >= kGrabRetryOnMotionMs)))
        askGrabSoon();
}

bool Confinement::nativeEventFilter(const QByteArray& /*type*/, void* message, qintptr* /*result*/)
{
    if (!wanted_)
        return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if (x11::isRootResize(e, root_)) {
        followWindow_ = true;
        QTimer::singleShot(0, this, &Confinement::apply);
    } else if (held_) {
        if (const std::optional<x11::PointerEvent> p = x11::pointerEvent(e, xiOpcode_, root_))
            onPointerEvent(*p);
    }
    return false; // Qt handles the event as usual
}

void Confinement::pollPointer()
{
    xcb_connection_t* c = x11::connection();
    if (!c || !held_)
        return;
    const auto p = x11::queryPointer(c);
    if (p)
        holdInside(c, QPoint(p->root_x, p->root_y));
}

// The program's modal windows and a window of another program that has the
// focus need the pointer free of the grab; a minimised board has no window to
// grab for.
bool Confinement::grabAllowed() const
{
    return window_ && window_->isVisible() && window_->visibility() != QWindow::Minimized &&
           !QGuiApplication::modalWindow() && !focusLost_;
}

void Confinement::askGrabSoon()
{
    if (askQueued_)
        return;
    askQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        askQueued_ = false;
        updateGrab();
    });
}

void Confinement::updateGrab()
{
    xcb_connection_t* c = x11::connection();
    if (!c || !held_)
        return;
    if (popupShown()) {
        // Qt's grab for the popup stands in for this one until it closes.
        grabbed_ = false;
        showConfineWindow(c, false);
        grabRetry_.stop();
        xcb_flush(c);
        return;
    }
    if (!grabAllowed() || (idle_ && barriersWork_)) {
        dropGrab(c);
        showConfineWindow(c, false);
        grabRetry_.stop();
        xcb_flush(c);
        return;
    }
    takeGrab(c);
    if (grabbed_) {
        grabRetry_.stop();
        if (barriersWork_)
            idleTimer_.start();
    } else {
        showConfineWindow(c, false);
        if (!grabRetry_.isActive())
            grabRetry_.start();
    }
    xcb_flush(c);
}

// Asks for the grab, unless a button is down, whose implicit grab would
// refuse it.
void Confinement::takeGrab(xcb_connection_t* c)
{
    lastAsked_.start();
    const auto p = x11::queryPointer(c);
    constexpr uint16_t kButtons = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 |
                                  XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
    if (!p || (p->mask & kButtons)) {
        grabbed_ = false;
        return;
    }
    showConfineWindow(c, true);
    const auto win = static_cast<xcb_window_t>(window_->winId());
    const uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                          XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                          XCB_EVENT_MASK_LEAVE_WINDOW;
    // Owner events: the program's windows get their pointer events as usual.
    const auto r = x11::reply(xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 1, win, mask, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, confineWindow_,
                         XCB_NONE, XCB_CURRENT_TIME),
        nullptr));
    grabbed_ = r && r->status == XCB_GRAB_STATUS_SUCCESS;
}

void Confinement::dropGrab(xcb_connection_t* c)
{
    if (grabbed_)
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    grabbed_ = false;
}

bool Confinement::release()
{
    xcb_connection_t* c = x11::connection();
    if (!c)
        return false;
    const bool held = wanted_.has_value();
    wanted_.reset();
    held_.reset();
    followWindow_ = false;
    removeBarriers(c);
    if (held && !popupShown())
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    grabbed_ = false;
    destroyConfineWindow(c);
    window_ = nullptr;
    awayPoll_.stop();
    grabRetry_.stop();
    idleTimer_.stop();
    xcb_flush(c);
    return true;
}

// Qt takes the pointer grab for a popup menu and lets it go when the menu
// closes; modal windows come and go, and so does the focus: the grab follows.
// After a change of the screen the rectangle moves with its window, which the
// window manager may bring back onto the smaller screen.
bool Confinement::eventFilter(QObject* watched, QEvent* e)
{
    if (wanted_) {
        const QEvent::Type t = e->type();
        const auto* w = qobject_cast<QWindow*>(watched);
        if (t == QEvent::ApplicationStateChange) {
            focusLost_ = QGuiApplication::applicationState() != Qt::ApplicationActive &&
                         !QGuiApplication::modalWindow();
            askGrabSoon();
        } else if (w && (t == QEvent::Show || t == QEvent::Hide) &&
                   (w->type() == Qt::Popup || w->modality() != Qt::NonModal)) {
            askGrabSoon();
        } else if (w && w == window_ && t == QEvent::Move && followWindow_) {
            const QPoint now = devicePosition(w);
            wanted_ = confine::shifted(*wanted_, now - windowAt_);
            windowAt_ = now;
            QTimer::singleShot(0, this, &Confinement::apply);
        }
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
