#include "desktop/ui/SystemTrayNotificationArea.h"

#include <QSystemTrayIcon>

bool SystemTrayNotificationArea::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
