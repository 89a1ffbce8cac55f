#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Octet counters of lo as the kernel shows them inside a namespace.
struct LoopbackCounters
{
    quint64 rx = 0;
    quint64 tx = 0;
    bool valid = false;
};

// A network namespace of the test's own with lo up: only the test's traffic
// moves its counters. Deleted again when the object goes, also after a failure.
class NetnsSandbox
{
public:
    NetnsSandbox();
    ~NetnsSandbox();
    NetnsSandbox(const NetnsSandbox&) = delete;
    NetnsSandbox& operator=(const NetnsSandbox&) = delete;

    // Empty when the namespace is ready; else why there is none (not root, no `ip netns`).
    QString unavailable() const { return m_unavailable; }
    QString name() const { return m_name; }
    QString ipProgram() const { return m_ip; }

    // Arguments for `ip` that run `program` inside the namespace.
    QStringList execArguments(const QString& program, const QStringList& arguments) const;
    LoopbackCounters loopback() const;
    // lo's interface index inside the namespace; 0 when it cannot be read.
    int loopbackIfIndex() const;
    // Sends `bytes` of payload over lo inside the namespace; false on failure.
    bool pushTraffic(qint64 bytes) const;
    // Starts traffic over lo inside the namespace that flows until `flow` is killed.
    bool startTrafficFlow(QProcess& flow) const;

    // Octet counters and index of any interface of the namespace (invalid / 0 when unreadable).
    LoopbackCounters counters(const QString& interface) const;
    int ifIndex(const QString& interface) const;
    // `ip -n <namespace> <arguments>`, e.g. {"link", "add", ...}; false on failure.
    bool ip(const QStringList& arguments) const;
    // Without IPv6 the namespace's interfaces send nothing of their own accord.
    bool quiet() const;
    // Sends Ethernet frames carrying `bytes` of payload out of `interface`; false on failure.
    bool pushFrames(const QString& interface, qint64 bytes) const;

private:
    bool runIp(const QStringList& arguments, QByteArray* output = nullptr) const;
    void removeStale() const;

    QString m_ip;
    QString m_name;
    QString m_unavailable;
    bool m_created = false;
};
