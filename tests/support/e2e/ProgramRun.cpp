#include "support/e2e/ProgramRun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>

namespace {

constexpr int kPollMs = 50;

// Whether the process has a handler for `signal` (the SigCgt mask of its status).
bool catchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:"))
            continue;
        bool ok = false;
        const quint64 mask = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (mask & (quint64(1) << (signal - 1))) != 0;
    }
    return false;
}

QProcessEnvironment cacheIntervalEnvironment(int ms)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("NETZPEGEL_CACHE_INTERVAL_MS"), QString::number(ms));
    return env;
}

} // namespace

ProgramRun::ProgramRun(const NetnsSandbox& sandbox, const QString& home, int cacheIntervalMs)
    : ProgramRun(sandbox, home, QStringLiteral(NETZPEGEL_EXE), cacheIntervalEnvironment(cacheIntervalMs))
{
}

ProgramRun::ProgramRun(const NetnsSandbox& sandbox, const QString& home, const QString& executable,
                       const QProcessEnvironment& environment, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NETZPEGEL_HOME"), QDir(home).absolutePath());
    env.insert(QStringLiteral("NETZPEGEL_NO_DIALOGS"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("NETZPEGEL_CACHE_INTERVAL_MS"), QStringLiteral("100"));
    for (const QString& key : environment.keys()) {
        if (environment.value(key).isEmpty())
            env.remove(key);
        else
            env.insert(key, environment.value(key));
    }
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    // `ip netns exec` replaces itself with the program: the pid is the program's.
    m_process.start(sandbox.ipProgram(), sandbox.execArguments(executable, arguments));
    m_process.waitForStarted(kWaitMs);
}

ProgramRun::~ProgramRun()
{
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool ProgramRun::pause()
{
    if (!running())
        return false;
    return !m_process.waitForFinished(kPollMs);
}

bool ProgramRun::waitUntilReady()
{
    const QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired()) {
        if (running() && catchesSignal(pid(), SIGTERM))
            return true;
        if (!pause())
            return false;
    }
    return false;
}

bool ProgramRun::waitUntil(const std::function<bool()>& condition, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        if (!pause())
            return false;
    }
    return false;
}

bool ProgramRun::runFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        if (!pause())
            return false;
    return true;
}

bool ProgramRun::terminate()
{
    if (running())
        ::kill(static_cast<pid_t>(pid()), SIGTERM);
    return waitForExit();
}

bool ProgramRun::kill()
{
    if (running())
        m_process.kill();
    return waitForExit();
}

bool ProgramRun::waitForExit()
{
    return !running() || m_process.waitForFinished(kWaitMs);
}

bool ProgramRun::exitedCleanly() const
{
    return !running() && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QString ProgramRun::errorOutput()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromUtf8(m_stderr);
}

bool ProgramRun::hasMapped(const QString& name) const
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid()));
    return maps.open(QIODevice::ReadOnly) && QString::fromUtf8(maps.readAll()).contains(name);
}
