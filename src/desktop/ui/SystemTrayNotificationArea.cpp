#include "desktop/ui/SystemTrayNotificationArea.h"

#include "desktop/ui/X11Connection.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdlib>
#include <memory>

SystemTrayNotificationArea::~SystemTrayNotificationArea()
{
    announce({});
}

bool SystemTrayNotificationArea::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayNotificationArea::announce(std::function<void()> arrived)
{
    m_arrived = std::move(arrived);
    if (!m_arrived) {
        if (m_filtering && QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filtering = false;
        return false;
    }
    if (m_filtering)
        return true;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    m_manager = x11Atom(c, "MANAGER");
    if (m_manager == XCB_ATOM_NONE)
        return false;
    // The announcement goes to clients that listen for the root window's structure; Qt does,
    // but the mask is ours to make sure of, without dropping what Qt asked for.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr), &std::free);
    if (!attributes)
        return false;
    if (!(attributes->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
    return true;
}

bool SystemTrayNotificationArea::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !m_arrived)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    // Any selection's manager: a tray is asked for anyway, and other managers start rarely.
    if (client->type == m_manager)
        QTimer::singleShot(0, &m_context, [this] {
            // A copy: the call may end the announcements, which clears m_arrived.
            if (const std::function<void()> arrived = m_arrived)
                arrived();
        });
    return false;
}
