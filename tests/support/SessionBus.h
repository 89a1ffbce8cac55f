#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own: dbus-daemon on a socket in a temporary folder,
// stopped when the object goes. `address()` is empty, and `failure()` says why, when it could
// not be started.
class SessionBus
{
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    QString address() const { return m_address; }
    QString failure() const { return m_failure; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_failure;
};
