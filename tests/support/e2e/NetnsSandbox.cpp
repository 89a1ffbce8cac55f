#include "support/e2e/NetnsSandbox.h"

#include "support/e2e/TrafficSource.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <atomic>
#include <unistd.h>

namespace {

constexpr int kIpTimeoutMs = 20000;

} // namespace

NetnsSandbox::NetnsSandbox()
{
    static std::atomic<int> serial{0};
    m_name = QStringLiteral("np-e2e-%1-%2").arg(::getpid()).arg(serial++);
    if (::geteuid() != 0) {
        m_unavailable = QStringLiteral("network namespaces need root");
        return;
    }
    m_ip = QStandardPaths::findExecutable(QStringLiteral("ip"));
    if (m_ip.isEmpty())
        m_ip = QStandardPaths::findExecutable(QStringLiteral("ip"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (m_ip.isEmpty()) {
        m_unavailable = QStringLiteral("iproute2 (`ip`) is not installed");
        return;
    }
    removeStale();
    if (!runIp({QStringLiteral("netns"), QStringLiteral("add"), m_name})) {
        m_unavailable = QStringLiteral("`ip netns add` failed (no namespace support here?)");
        return;
    }
    m_created = true;
    if (!runIp(execArguments(m_ip, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")})))
        m_unavailable = QStringLiteral("lo could not be brought up in the namespace");
    else if (!loopback().valid)
        m_unavailable = QStringLiteral("the namespace's sysfs cannot be read");
}

void NetnsSandbox::removeStale() const
{
    // Namespaces of test processes that were killed before they could clean up.
    QByteArray list;
    if (!runIp({QStringLiteral("netns"), QStringLiteral("list")}, &list))
        return;
    static const QRegularExpression ours(QStringLiteral("^np-e2e-(\\d+)-\\d+$"));
    for (const QByteArray& line : list.split('\n')) {
        const QString name = QString::fromUtf8(line.trimmed()).section(QLatin1Char(' '), 0, 0);
        const QRegularExpressionMatch m = ours.match(name);
        if (m.hasMatch() && !QFileInfo::exists(QStringLiteral("/proc/") + m.captured(1)))
            runIp({QStringLiteral("netns"), QStringLiteral("delete"), name});
    }
}

NetnsSandbox::~NetnsSandbox()
{
    if (m_created)
        runIp({QStringLiteral("netns"), QStringLiteral("delete"), m_name});
}

QStringList NetnsSandbox::execArguments(const QString& program, const QStringList& arguments) const
{
    return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_name, program} + arguments;
}

LoopbackCounters NetnsSandbox::loopback() const
{
    return counters(QStringLiteral("lo"));
}

LoopbackCounters NetnsSandbox::counters(const QString& interface) const
{
    // `ip netns exec` mounts the namespace's own sysfs for the command it runs.
    QByteArray out;
    LoopbackCounters c;
    const QString folder = QStringLiteral("/sys/class/net/") + interface + QStringLiteral("/statistics/");
    if (!runIp(execArguments(QStringLiteral("cat"), {folder + QStringLiteral("rx_bytes"), folder + QStringLiteral("tx_bytes")}),
               &out))
        return c;
    const QList<QByteArray> lines = out.trimmed().split('\n');
    bool okRx = false;
    bool okTx = false;
    if (lines.size() == 2) {
        c.rx = lines[0].trimmed().toULongLong(&okRx);
        c.tx = lines[1].trimmed().toULongLong(&okTx);
    }
    c.valid = okRx && okTx;
    return c;
}

int NetnsSandbox::loopbackIfIndex() const
{
    return ifIndex(QStringLiteral("lo"));
}

int NetnsSandbox::ifIndex(const QString& interface) const
{
    QByteArray out;
    if (!runIp(execArguments(QStringLiteral("cat"), {QStringLiteral("/sys/class/net/") + interface + QStringLiteral("/ifindex")}),
               &out))
        return 0;
    return out.trimmed().toInt();
}

bool NetnsSandbox::ip(const QStringList& arguments) const
{
    return runIp(QStringList{QStringLiteral("-n"), m_name} + arguments);
}

bool NetnsSandbox::quiet() const
{
    return runIp(execArguments(QStringLiteral("sysctl"), {QStringLiteral("-q"), QStringLiteral("-w"),
                                                          QStringLiteral("net.ipv6.conf.all.disable_ipv6=1"),
                                                          QStringLiteral("net.ipv6.conf.default.disable_ipv6=1")}));
}

bool NetnsSandbox::pushFrames(const QString& interface, qint64 bytes) const
{
    return runIp(execArguments(QCoreApplication::applicationFilePath(),
                               {QString::fromLatin1(kPushFramesArgument), interface, QString::number(bytes)}));
}

bool NetnsSandbox::pushTraffic(qint64 bytes) const
{
    return runIp(execArguments(QCoreApplication::applicationFilePath(),
                               {QString::fromLatin1(kPushLoopbackArgument), QString::number(bytes)}));
}

bool NetnsSandbox::startTrafficFlow(QProcess& flow) const
{
    flow.start(m_ip, execArguments(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kFlowLoopbackArgument)}));
    return flow.waitForStarted(kIpTimeoutMs);
}

bool NetnsSandbox::runIp(const QStringList& arguments, QByteArray* output) const
{
    QProcess ip;
    ip.setProcessChannelMode(QProcess::SeparateChannels);
    ip.start(m_ip, arguments);
    if (!ip.waitForFinished(kIpTimeoutMs)) {
        ip.kill();
        ip.waitForFinished(kIpTimeoutMs);
        return false;
    }
    if (output)
        *output = ip.readAllStandardOutput();
    return ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
}
