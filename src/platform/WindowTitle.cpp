#include "platform/WindowTitle.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(KVOR_HAVE_XCB) && QT_CONFIG(xcb)
#define KVOR_X11_TITLES 1
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace kvor::sys {

#if defined(KVOR_X11_TITLES)
namespace {
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
} // namespace
#endif

void keepNativeTitleAsGiven(QWindow* window) {
    if (!window || !window->handle()) return;
    const QString title = window->title();
#if defined(Q_OS_WIN)
    SetWindowTextW(reinterpret_cast<HWND>(window->winId()), reinterpret_cast<LPCWSTR>(title.utf16()));
#elif defined(KVOR_X11_TITLES)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    // The name that window managers show; Qt already writes WM_NAME unchanged.
    const xcb_atom_t name = internAtom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(connection, "UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return;
    const QByteArray text = title.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), name, utf8, 8,
                        uint32_t(text.size()), text.constData());
    xcb_flush(connection);
#else
    Q_UNUSED(title);
#endif
}

} // namespace kvor::sys
