#include "ToolbarWindowType.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The X server connection of Qt's X11 platform; none on other platforms (the offscreen platform
// may offer the X11 interface without a connection).
xcb_connection_t* xcbConnection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

} // namespace

void UseToolbarWindowType(QWidget& window) {
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::array<xcb_atom_t, 2> types{atomNamed(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                          atomNamed(connection, "_NET_WM_WINDOW_TYPE_NORMAL")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                        atomNamed(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(types.size()), types.data());
    xcb_flush(connection);
}
