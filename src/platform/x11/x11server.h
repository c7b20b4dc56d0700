#pragma once
// What the pointer confinement asks of the X server, through Qt's own X
// connection: which server it is, the root window's size, and what a pointer
// event says of the pointer.

#include <QByteArray>
#include <QPoint>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace honura::x11 {

// A reply of the server, freed with it.
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* r) { return Reply<T>(r, &std::free); }

// Qt's connection to the X server, or nullptr where Qt does not run on X11.
xcb_connection_t* connection();
xcb_window_t rootWindow(xcb_connection_t* c);

// The atom of the given name, made where the server has none yet.
xcb_atom_t atom(xcb_connection_t* c, const char* name);

// The major opcode of the named extension, or 0 when the server lacks it.
uint8_t extensionOpcode(xcb_connection_t* c, const char* name);

// Whether the server is XWayland, the X server of a Wayland desktop.
bool isXWayland(xcb_connection_t* c);

// Whether the server has XFixes pointer barriers (XFixes 5).
bool hasBarriers(xcb_connection_t* c);

// The name the window manager gives itself (_NET_WM_NAME of its check
// window), empty without one.
QByteArray windowManagerName(xcb_connection_t* c);

// Where the pointer is on the screen, and which buttons are down.
Reply<xcb_query_pointer_reply_t> queryPointer(xcb_connection_t* c);

// The root window's size now (the size the connection started with is not
// updated when the screen changes).
QPoint rootSize(xcb_connection_t* c);

// Asks for the root window's configure events, which tell of every change of
// the screen's size, keeping whatever else Qt asked for there.
void watchRootSize(xcb_connection_t* c);

// A 32-bit TrueColor visual (with alpha), or 0 when the server has none.
xcb_visualid_t argbVisual(xcb_connection_t* c);

// What a pointer event says of the pointer: where it is, in screen pixels;
// whether it is away from the program's windows (leaving one, or entering the
// root window, where Qt watches crossings); whether a button went up. Core
// events count, and their XInput 2 forms (which Qt asks for where the server
// has them), xiOpcode being the XInput extension's opcode.
struct PointerEvent {
    QPoint at;
    bool away = false;
    bool released = false;
};
std::optional<PointerEvent> pointerEvent(const xcb_generic_event_t* e, uint8_t xiOpcode,
                                         xcb_window_t root);

// Whether the event tells that the root window changed its size.
bool isRootResize(const xcb_generic_event_t* e, xcb_window_t root);

} // namespace honura::x11
