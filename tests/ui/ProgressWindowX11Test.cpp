#include "QtPrinters.h"
#include "uLoad.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <QGuiApplication>
#include <QStringList>
#include <QTest>
#include <xcb/xcb.h>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_connection_t* connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// The names in the window's _NET_WM_WINDOW_TYPE property, as the X server holds them.
QStringList windowTypes(const QWidget& window) {
    xcb_connection_t* c = connection();
    const char* name = "_NET_WM_WINDOW_TYPE";
    const ReplyPtr<xcb_intern_atom_reply_t> property(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    const ReplyPtr<xcb_get_property_reply_t> value(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, static_cast<xcb_window_t>(window.winId()),
                                                property->atom, XCB_ATOM_ATOM, 0, 16),
                               nullptr));
    QStringList names;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(value.get()));
    for (int i = 0; i < xcb_get_property_value_length(value.get()) / 4; ++i) {
        const ReplyPtr<xcb_get_atom_name_reply_t> atomName(
            xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr));
        names << QString::fromLatin1(xcb_get_atom_name_name(atomName.get()),
                                     xcb_get_atom_name_name_length(atomName.get()));
    }
    return names;
}

} // namespace

// Under X11 the progress window is a toolbar window, also when it is shown again for a later
// run: window managers that read only the title bar from the Motif hints (openbox) then draw
// no minimise or maximise box.
TEST(ProgressWindowX11Test, IsAToolbarWindowAtEveryShow) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    TfrmLoad window;
    const QStringList expected{QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLBAR"),
                               QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL")};
    for (int run = 0; run < 2; ++run) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(windowTypes(window), expected) << "run " << run;
        window.hide();
    }
}
