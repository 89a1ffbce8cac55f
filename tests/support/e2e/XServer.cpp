#include "support/e2e/XServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QProcessEnvironment>
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

// The display is ours only when its lock names our server: a server started on the same number
// at the same moment by another test loses the lock and ends, maybe after the winner's socket
// appeared, and both tests would then start a window manager there.
bool locks(int number, qint64 pid)
{
    QFile lock(QStringLiteral("/tmp/.X%1-lock").arg(number));
    return pid > 0 && lock.open(QIODevice::ReadOnly) && lock.readAll().trimmed().toLongLong() == pid;
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
    m_windowManager.setProcessEnvironment(onDisplay());
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
    const auto ours = [&] { return QFileInfo::exists(socket) && locks(number, m_server.processId()); };
    if (waitFor([&] { return ours() || m_server.state() == QProcess::NotRunning; })
        && m_server.state() == QProcess::Running && ours())
        return true;
    m_server.kill();
    m_server.waitForFinished(kStartMs);
    return false;
}

XServer::~XServer()
{
    for (QProcess* p : {&m_trayHost, &m_windowManager, &m_server}) {
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
    bool ok = false;
    const QString out = tool(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title}, &ok);
    if (!ok)
        return w;
    static const QRegularExpression x(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)"));
    static const QRegularExpression y(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)"));
    w.topLeft = QPoint(x.match(out).captured(1).toInt(), y.match(out).captured(1).toInt());
    w.viewable = out.contains(QLatin1String("Map State: IsViewable"));
    return w;
}

QProcessEnvironment XServer::onDisplay() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    return env;
}

QString XServer::tool(const QString& program, const QStringList& arguments, bool* ok) const
{
    QProcess p;
    p.setProcessEnvironment(onDisplay());
    p.start(QStandardPaths::findExecutable(program), arguments);
    const bool finished = p.waitForFinished(kStartMs);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString XServer::startTrayHost()
{
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    if (trayer.isEmpty())
        return QStringLiteral("trayer is not installed (Debian package trayer)");
    m_trayHost.setProcessEnvironment(onDisplay());
    m_trayHost.setStandardOutputFile(QProcess::nullDevice());
    m_trayHost.setStandardErrorFile(QProcess::nullDevice());
    m_trayHost.start(trayer, {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                              QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                              QStringLiteral("--height"), QStringLiteral("24")});
    if (!m_trayHost.waitForStarted(kStartMs))
        return QStringLiteral("trayer did not start");
    // It owns the tray selection once its panel window is there.
    if (!waitFor([&] { return !windowId(QStringLiteral("panel")).isEmpty() || m_trayHost.state() != QProcess::Running; })
        || m_trayHost.state() != QProcess::Running)
        return QStringLiteral("trayer did not come up");
    return {};
}

QString XServer::trayIcon(const QString& windowClass) const
{
    // The tree lists children indented below their parents: an icon is below trayer's panel.
    const QStringList lines = tool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                                  .split(QLatin1Char('\n'));
    const QString cls = QStringLiteral("(\"%1\" \"%1\")").arg(windowClass);
    int panelIndent = -1;
    for (const QString& line : lines) {
        const int indent = static_cast<int>(line.size() - line.trimmed().size());
        if (line.contains(QLatin1String("(\"panel\" \"trayer\")"))) {
            panelIndent = indent;
            continue;
        }
        if (panelIndent >= 0 && indent <= panelIndent && !line.trimmed().isEmpty())
            panelIndent = -1;
        if (panelIndent >= 0 && line.contains(cls))
            return line.trimmed().section(QLatin1Char(' '), 0, 0);
    }
    return {};
}

QString XServer::windowId(const QString& title) const
{
    bool ok = false;
    const QString out = tool(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title}, &ok);
    static const QRegularExpression id(QStringLiteral("Window id: (0x[0-9a-f]+)"));
    return ok ? id.match(out).captured(1) : QString();
}

QString XServer::property(const QString& id, const QString& property) const
{
    const QString out = tool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, property}).trimmed();
    const qsizetype eq = out.indexOf(QStringLiteral(" = "));
    if (eq >= 0)
        return out.mid(eq + 3).trimmed();
    // xprop prints "NAME(TYPE): window id # 0x…" for a window.
    const qsizetype hash = out.indexOf(QStringLiteral("# "));
    return hash >= 0 ? out.mid(hash + 2).trimmed() : QString();
}

QRect XServer::frame(const QString& title) const
{
    const QString id = windowId(title);
    const Window inner = window(title);
    const QStringList extents = property(id, QStringLiteral("_NET_FRAME_EXTENTS")).split(QStringLiteral(", "));
    if (id.isEmpty() || extents.size() != 4)
        return {};
    bool ok = false;
    const QString info = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}, &ok);
    static const QRegularExpression w(QStringLiteral("Width:\\s+(\\d+)"));
    static const QRegularExpression h(QStringLiteral("Height:\\s+(\\d+)"));
    const QRect client(inner.topLeft, QSize(w.match(info).captured(1).toInt(), h.match(info).captured(1).toInt()));
    return client.marginsAdded(QMargins(extents[0].toInt(), extents[2].toInt(), extents[1].toInt(), extents[3].toInt()));
}

QRect XServer::workArea() const
{
    const QStringList v = tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")})
                              .section(QStringLiteral(" = "), 1)
                              .split(QStringLiteral(", "));
    if (v.size() < 4)
        return {};
    return QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt());
}

QString XServer::activeWindow() const
{
    const QString out = tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
    return out.section(QStringLiteral("# "), 1).trimmed();
}

bool XServer::xdotool(const QStringList& arguments) const
{
    bool ok = false;
    tool(QStringLiteral("xdotool"), arguments, &ok);
    return ok;
}

bool XServer::click(const QString& id)
{
    // Through the X test extension, as a mouse would: Qt ignores events sent to a window.
    // Two clicks in a row on one spot would be a double click: every other one lands a little
    // further in. No --sync: it waits for a movement that never comes when the pointer is there.
    const QString at = QString::number(m_clicks++ % 2 == 0 ? 4 : 14);
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, at, at, QStringLiteral("click"),
                    QStringLiteral("1")});
}
