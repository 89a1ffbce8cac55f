#include "acquisition/RestartCounters.h"

#include "acquisition/TNic.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

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
    // Without a boot identity the counters never count, but the list of entries still does.
    const QString boot = bootId();
    QByteArray out = (boot.isEmpty() ? QByteArray("-") : boot.toLatin1()) + '\n' + fingerprint(cacheContent) + '\n';
    for (const TNic* nic : v) {
        out += nic->Index.toUtf8();
        // An entry never sampled has no counters to go on from: its next start is a first sample.
        if (nic->sampled()) {
            long double send = 0;
            long double received = 0;
            nic->get_alte_werte(send, received);
            out += ' ' + counterText(send) + ' ' + counterText(received);
        }
        out += '\n';
    }
    QSaveFile f(m_filePath);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size() && f.commit();
}

void RestartCounters::load(const QByteArray& cacheContent)
{
    m_owners.clear();
    m_stored.clear();
    QFile f(m_filePath);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = f.readAll().split('\n');
    if (lines.size() < 2 || lines[1].trimmed() != fingerprint(cacheContent))
        return; // the totals on disk are not the ones these counters go with
    const QString boot = bootId();
    // Another boot: the kernel counters started again.
    const bool sameBoot = !boot.isEmpty() && QString::fromLatin1(lines[0].trimmed()) == boot;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines[i].trimmed().split(' ');
        if (parts.size() != 1 && parts.size() != 3)
            continue;
        const QString index = QString::fromUtf8(parts[0]);
        if (index.isEmpty())
            continue;
        m_owners << index;
        if (parts.size() != 3 || !sameBoot)
            continue;
        bool okSend = false;
        bool okReceived = false;
        const Stored s{parts[1].toULongLong(&okSend), parts[2].toULongLong(&okReceived)};
        if (okSend && okReceived)
            m_stored.insert(index, s);
    }
}

int RestartCounters::restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows)
{
    int restored = 0;
    for (TNic* nic : v) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const IfRow& r) { return r.index == nic->ifIndex(); });
        if (row != rows.end() && restore(*nic, *row))
            ++restored;
    }
    return restored;
}

bool RestartCounters::restore(TNic& nic, const IfRow& row)
{
    const auto s = m_stored.constFind(nic.Index);
    if (nic.isDfu() || s == m_stored.constEnd())
        return false;
    const Stored stored = *s;
    m_stored.erase(s);
    // A counter below the stored one means the adapter was reset: start afresh.
    if (row.outOctets < stored.send || row.inOctets < stored.received)
        return false;
    nic.set_alte_werte(stored.send, stored.received);
    return true;
}
