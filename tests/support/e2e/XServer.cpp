#include "support/e2e/XServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPoint>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <functional>

namespace {

constexpr int kStartMs = 20000;

bool waitFor(const std::function<bool()>& condition)
{
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

XServer::XServer()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfb.isEmpty() || openbox.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty()) {
        m_unavailable = QStringLiteral("Xvfb, openbox or xwininfo is not installed");
        return;
    }
    for (int number = 90; number < 140 && m_display.isEmpty(); ++number)
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) && startServer(number))
            m_display = QStringLiteral(":%1").arg(number);
    if (m_display.isEmpty()) {
        m_unavailable = QStringLiteral("no X server could be started");
        return;
    }
    // openbox runs its start-up command once it manages the screen.
    const QString ready = m_flags.filePath(QStringLiteral("wm-ready"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.start(openbox, {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                    QStringLiteral("touch ") + ready});
    if (!waitFor([&] { return QFileInfo::exists(ready); }))
        m_unavailable = QStringLiteral("openbox did not start");
}

bool XServer::startServer(int number)
{
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    m_server.setStandardOutputFile(QProcess::nullDevice());
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStandardPaths::findExecutable(QStringLiteral("Xvfb")),
                   {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(kStartMs))
        return false;
    if (waitFor([&] { return QFileInfo::exists(socket) || m_server.state() == QProcess::NotRunning; })
        && m_server.state() == QProcess::Running)
        return true;
    m_server.kill();
    m_server.waitForFinished(kStartMs);
    return false;
}

XServer::~XServer()
{
    for (QProcess* p : {&m_windowManager, &m_server}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(kStartMs)) {
            p->kill();
            p->waitForFinished(kStartMs);
        }
    }
}

XServer::Window XServer::window(const QString& title) const
{
    Window w;
    QProcess info;
    info.start(QStandardPaths::findExecutable(QStringLiteral("xwininfo")),
               {QStringLiteral("-display"), m_display, QStringLiteral("-name"), title});
    if (!info.waitForFinished(kStartMs) || info.exitCode() != 0)
        return w;
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    static const QRegularExpression x(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)"));
    static const QRegularExpression y(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)"));
    w.topLeft = QPoint(x.match(out).captured(1).toInt(), y.match(out).captured(1).toInt());
    w.viewable = out.contains(QLatin1String("Map State: IsViewable"));
    return w;
}
