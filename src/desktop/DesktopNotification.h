#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// A notification on the desktop through the freedesktop Notifications service of the session
// bus. Never waits: when no service answers (no session bus, no service, an error), `failed`
// is emitted instead, so the caller can fall back on the tray's balloon or a log line.
class DesktopNotification : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotification(QObject* parent = nullptr);
    // Through another bus than the session's (tests start their own).
    DesktopNotification(const QDBusConnection& bus, QObject* parent = nullptr);
    void send(const QString& summary, const QString& body);

signals:
    void delivered();
    void failed(const QString& summary, const QString& body);

private:
    QDBusConnection m_bus;
};
