#include "desktop/ui/TaskbarHint.h"

#include "desktop/ui/X11Connection.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

void skipTaskbar(QWidget& window)
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = x11Atom(c, "_NET_WM_STATE");
    const xcb_atom_t wanted[] = {x11Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), x11Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE)
        return;
    // The property for a window manager that has not managed the window yet, a request for one that has.
    std::vector<xcb_atom_t> atoms;
    const xcb_get_property_cookie_t cookie = xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    for (const xcb_atom_t a : wanted)
        if (a != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, static_cast<uint32_t>(atoms.size()),
                        atoms.data());
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = id;
    request.type = state;
    request.data.data32[0] = 1; // add
    request.data.data32[1] = wanted[0];
    request.data.data32[2] = wanted[1];
    request.data.data32[3] = 1; // from an application
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(c);
}

void placeFrame(QWidget& window, const QPoint& topLeft)
{
    window.winId(); // the native window, which keeps how its position is meant
    if (QWindow* handle = window.windowHandle())
        handle->setFramePosition(topLeft);
    else
        window.move(topLeft);
}
