#pragma once

#include "desktop/NotificationArea.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

// Qt's tray. On X11 a tray that starts announces itself to every client (a MANAGER message on
// the root window), so a late one is found without asking the X server again and again.
class SystemTrayNotificationArea : public NotificationArea, private QAbstractNativeEventFilter
{
public:
    ~SystemTrayNotificationArea() override;
    bool available() const override;
    bool announce(std::function<void()> arrived) override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    std::function<void()> m_arrived;
    QObject m_context; // what is posted goes with the area
    uint32_t m_manager = 0;
    bool m_filtering = false;
};
