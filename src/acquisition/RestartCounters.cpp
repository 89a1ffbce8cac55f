#include "acquisition/RestartCounters.h"

#include "acquisition/TNic.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QSaveFile>

namespace {

// Counters are whole numbers below 2^64; written as integers they read back exactly.
QByteArray counterText(long double value)
{
    return QByteArray::number(static_cast<qulonglong>(value < 0 ? 0 : value));
}

QByteArray fingerprint(const QByteArray& cacheContent)
{
    if (cacheContent.isEmpty())
        return "-";
    return QCryptographicHash::hash(cacheContent, QCryptographicHash::Sha256).toHex();
}

} // namespace

RestartCounters::RestartCounters(QString filePath, QString bootIdPath)
    : m_filePath(std::move(filePath))
    , m_bootIdPath(std::move(bootIdPath))
{
}

QString RestartCounters::bootId() const
{
    QFile f(m_bootIdPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll().trimmed());
}

bool RestartCounters::write(const std::vector<TNic*>& v, const QByteArray& cacheContent) const
{
    const QString boot = bootId();
    if (boot.isEmpty())
        return false;
    QByteArray out = boot.toLatin1() + '\n' + fingerprint(cacheContent) + '\n';
    for (const TNic* nic : v) {
        // An entry never sampled has no counters to go on from: its next start is a first sample.
        if (!nic->sampled())
            continue;
        long double send = 0;
        long double received = 0;
        nic->get_alte_werte(send, received);
        out += nic->Index.toUtf8() + ' ' + counterText(send) + ' ' + counterText(received) + '\n';
    }
    QSaveFile f(m_filePath);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size() && f.commit();
}

int RestartCounters::restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows, bool sonderModus,
                             const QByteArray& cacheContent) const
{
    QFile f(m_filePath);
    const QString boot = bootId();
    if (boot.isEmpty() || !f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = f.readAll().split('\n');
    if (lines.size() < 2 || QString::fromLatin1(lines[0].trimmed()) != boot)
        return 0; // another boot: the kernel counters started again
    if (lines[1].trimmed() != fingerprint(cacheContent))
        return 0; // the totals on disk are not the ones these counters go with

    struct Stored { qulonglong send; qulonglong received; };
    QHash<QString, Stored> stored;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines[i].trimmed().split(' ');
        if (parts.size() != 3)
            continue;
        bool okSend = false;
        bool okReceived = false;
        const Stored s{parts[1].toULongLong(&okSend), parts[2].toULongLong(&okReceived)};
        if (okSend && okReceived)
            stored.insert(QString::fromUtf8(parts[0]), s);
    }
    QHash<QString, const IfRow*> current;
    for (const IfRow& row : rows)
        current.insert(TNic::adapterId(row.index, sonderModus), &row);

    int restored = 0;
    for (TNic* nic : v) {
        const auto s = stored.constFind(nic->Index);
        const auto row = current.constFind(nic->Index);
        if (nic->isDfu() || s == stored.constEnd() || row == current.constEnd())
            continue;
        // A counter below the stored one means the adapter was reset: start afresh.
        if ((*row)->outOctets < s->send || (*row)->inOctets < s->received)
            continue;
        nic->set_alte_werte(s->send, s->received);
        ++restored;
    }
    return restored;
}
