#include "platform/x11/x11server.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

namespace honura::x11 {

namespace {

// The value of a property that holds one window, or 0.
xcb_window_t windowProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property)
{
    const auto r = reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return 0;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
}

} // namespace

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const auto r = reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

uint8_t extensionOpcode(xcb_connection_t* c, const char* name)
{
    const auto r = reply(xcb_query_extension_reply(
        c, xcb_query_extension(c, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r && r->present ? r->major_opcode : 0;
}

// XWayland announces itself by an extension of its own since version 23, and
// before that by the names of its outputs, which Qt gives its screens.
bool isXWayland(xcb_connection_t* c)
{
    if (extensionOpcode(c, "XWAYLAND") != 0)
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [](const QScreen* s) {
        return s->name().startsWith(QLatin1String("XWAYLAND"));
    });
}

// Asks for the version the library knows, as Qt does, so that this
// connection's XFixes version is never lowered.
bool hasBarriers(xcb_connection_t* c)
{
    if (extensionOpcode(c, "XFIXES") == 0)
        return false;
    const auto r = reply(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    return r && r->major_version >= 5;
}

QByteArray windowManagerName(xcb_connection_t* c)
{
    const xcb_window_t check =
        windowProperty(c, rootWindow(c), atom(c, "_NET_SUPPORTING_WM_CHECK"));
    if (check == 0)
        return {};
    const auto r = reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, check, atom(c, "_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr));
    if (!r || r->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(r.get())),
            xcb_get_property_value_length(r.get())};
}

Reply<xcb_query_pointer_reply_t> queryPointer(xcb_connection_t* c)
{
    return reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, rootWindow(c)), nullptr));
}

QPoint rootSize(xcb_connection_t* c)
{
    const auto r = reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, rootWindow(c)), nullptr));
    if (r)
        return {r->width, r->height};
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return {s->width_in_pixels, s->height_in_pixels};
}

void watchRootSize(xcb_connection_t* c)
{
    const xcb_window_t root = rootWindow(c);
    const auto r =
        reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
    if (!r || (r->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY))
        return;
    const uint32_t mask = r->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
}

xcb_visualid_t argbVisual(xcb_connection_t* c)
{
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    for (auto d = xcb_screen_allowed_depths_iterator(s); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != 32)
            continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                return v.data->visual_id;
        }
    }
    return 0;
}

std::optional<PointerEvent> pointerEvent(const xcb_generic_event_t* e, uint8_t xiOpcode,
                                         xcb_window_t root)
{
    const uint8_t type = e->response_type & 0x7f;
    if (type == XCB_MOTION_NOTIFY || type == XCB_BUTTON_RELEASE) {
        // Motion and button events share their layout.
        const auto* m = reinterpret_cast<const xcb_motion_notify_event_t*>(e);
        return PointerEvent{{m->root_x, m->root_y}, false, type == XCB_BUTTON_RELEASE};
    }
    if (type == XCB_ENTER_NOTIFY || type == XCB_LEAVE_NOTIFY) {
        const auto* m = reinterpret_cast<const xcb_enter_notify_event_t*>(e);
        return PointerEvent{{m->root_x, m->root_y}, type == XCB_LEAVE_NOTIFY || m->event == root};
    }
    const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(e);
    if (type != XCB_GE_GENERIC || xiOpcode == 0 || ge->extension != xiOpcode)
        return std::nullopt;
    // Positions are 16.16 fixed point: the whole part is the pixel.
    if (ge->event_type == XCB_INPUT_MOTION || ge->event_type == XCB_INPUT_BUTTON_RELEASE) {
        const auto* m = reinterpret_cast<const xcb_input_motion_event_t*>(e);
        return PointerEvent{
            {m->root_x >> 16, m->root_y >> 16}, false, ge->event_type == XCB_INPUT_BUTTON_RELEASE};
    }
    if (ge->event_type == XCB_INPUT_ENTER || ge->event_type == XCB_INPUT_LEAVE) {
        const auto* m = reinterpret_cast<const xcb_input_enter_event_t*>(e);
        return PointerEvent{{m->root_x >> 16, m->root_y >> 16},
                            ge->event_type == XCB_INPUT_LEAVE || m->event == root};
    }
    return std::nullopt;
}

bool isRootResize(const xcb_generic_event_t* e, xcb_window_t root)
{
    if ((e->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY)
        return false;
    const auto* cn = reinterpret_cast<const xcb_configure_notify_event_t*>(e);
    return cn->window == root;
}

} // namespace honura::x11
