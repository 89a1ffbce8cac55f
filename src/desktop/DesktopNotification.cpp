#include "desktop/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

DesktopNotification::DesktopNotification(QObject* parent)
    : DesktopNotification(QDBusConnection::sessionBus(), parent)
{
}

DesktopNotification::DesktopNotification(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

void DesktopNotification::send(const QString& summary, const QString& body)
{
    if (!m_bus.isConnected()) {
        emit failed(summary, body);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app name, replaces id, icon, summary, body, actions, hints, timeout (-1: the server's)
    call << QStringLiteral("Netzpegel") << uint(0) << QStringLiteral("netzpegel") << summary << body << QStringList()
         << QVariantMap() << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, summary, body] {
        watcher->deleteLater();
        if (watcher->isError())
            emit failed(summary, body);
        else
            emit delivered();
    });
}
