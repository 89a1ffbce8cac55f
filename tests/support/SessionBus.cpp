#include "support/SessionBus.h"

#include <QStandardPaths>

SessionBus::SessionBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_failure = QStringLiteral("dbus-daemon is not installed (Debian package dbus)");
        return;
    }
    m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                            QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus")),
                            QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(10000)) {
        m_failure = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        m_failure = QStringLiteral("dbus-daemon printed no address: ") + QString::fromUtf8(m_daemon.readAllStandardError());
}

SessionBus::~SessionBus()
{
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000))
        m_daemon.kill();
    m_daemon.waitForFinished(5000);
}
