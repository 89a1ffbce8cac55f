#include "acquisition/RestartCounters.h"

#include "acquisition/TNic.h"
#include "config/FileReplace.h"
#include "storage/CounterCache.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

// Marks where the counters of the cache before the newest one begin.
const QByteArray kPrevious("previous ");

// Counters are whole numbers below 2^64; written as integers they read back exactly.
QByteArray counterText(long double value)
{
    return QByteArray::number(static_cast<qulonglong>(value < 0 ? 0 : value));
}

} // namespace

RestartCounters::RestartCounters(QString filePath, QString bootIdPath)
    : m_filePath(std::move(filePath))
    , m_bootIdPath(std::move(bootIdPath))
{
}

QByteArray RestartCounters::fingerprint(const QByteArray& cacheContent)
{
    if (cacheContent.isEmpty())
        return "-";
    return QCryptographicHash::hash(cacheContent, QCryptographicHash::Sha256).toHex();
}

QByteArray RestartCounters::counterLines(const std::vector<TNic*>& v)
{
    QByteArray out;
    for (const TNic* nic : v) {
        // An entry never sampled has no counters to go on from: its next start is a first sample.
        if (!nic->sampled())
            continue;
        long double send = 0;
        long double received = 0;
        nic->get_alte_werte(send, received);
        out += nic->Index.toUtf8() + ' ' + counterText(send) + ' ' + counterText(received) + '\n';
    }
    return out;
}

QByteArray RestartCounters::bootId() const
{
    QFile f(m_bootIdPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}

RestartCounters::Content RestartCounters::parse(const QByteArray& text)
{
    Content content;
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 2)
        return content;
    content.boot = lines[0].trimmed();
    content.generations.push_back({lines[1].trimmed(), {}, {}});
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith(kPrevious)) {
            content.generations.push_back({line.mid(kPrevious.size()).trimmed(), {}, {}});
            continue;
        }
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 3)
            continue;
        bool okSend = false;
        bool okReceived = false;
        const Stored s{parts[1].toULongLong(&okSend), parts[2].toULongLong(&okReceived)};
        if (!okSend || !okReceived)
            continue;
        Generation& g = content.generations.back();
        g.counters.insert(QString::fromUtf8(parts[0]), s);
        g.text += line + '\n';
    }
    return content;
}

bool RestartCounters::write(const std::vector<TNic*>& v, const QByteArray& cacheContent)
{
    const QByteArray boot = bootId();
    if (boot.isEmpty())
        return false;
    const QByteArray newest = fingerprint(cacheContent);
    QByteArray out = boot + '\n' + newest + '\n' + counterLines(v);
    if (m_onDiskKnown && m_onDisk.fingerprint != newest)
        out += kPrevious + m_onDisk.fingerprint + '\n' + m_onDisk.text;
    return replaceFile(m_filePath, out);
}

bool RestartCounters::replaceCache(const std::vector<TNic*>& v, const QString& cachePath, const QByteArray& cacheContent)
{
    // Without its counters file the cache is still worth writing: a later boot needs only the totals.
    write(v, cacheContent);
    if (!CounterCache::replace(cachePath, cacheContent))
        return false;
    m_onDiskKnown = true;
    m_onDisk = {fingerprint(cacheContent), {}, counterLines(v)};
    return true;
}

int RestartCounters::restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows, bool sonderModus,
                             const QByteArray& cacheContent)
{
    // Whatever the file says, this cache is on disk now, and no counters are known to go with it yet.
    m_onDiskKnown = true;
    m_onDisk = {fingerprint(cacheContent), {}, {}};
    const QByteArray boot = bootId();
    QFile f(m_filePath);
    if (boot.isEmpty() || !f.open(QIODevice::ReadOnly))
        return 0;
    const Content content = parse(f.readAll());
    if (content.boot != boot)
        return 0; // another boot: the kernel counters started again
    const Generation* match = nullptr;
    for (const Generation& g : content.generations)
        if (g.fingerprint == m_onDisk.fingerprint)
            match = match ? match : &g;
    if (!match)
        return 0; // the totals on disk are not the ones these counters go with
    m_onDisk = *match;
    return apply(match->counters, v, rows, sonderModus);
}

int RestartCounters::apply(const QHash<QString, Stored>& counters, const std::vector<TNic*>& v,
                           const std::vector<IfRow>& rows, bool sonderModus)
{
    QHash<QString, const IfRow*> current;
    for (const IfRow& row : rows)
        current.insert(TNic::adapterId(row.index, sonderModus), &row);
    int restored = 0;
    for (TNic* nic : v) {
        const auto s = counters.constFind(nic->Index);
        const auto row = current.constFind(nic->Index);
        if (nic->isDfu() || s == counters.constEnd() || row == current.constEnd())
            continue;
        // A counter below the stored one means the adapter was reset: start afresh.
        if ((*row)->outOctets < s->send || (*row)->inOctets < s->received)
            continue;
        nic->set_alte_werte(s->send, s->received);
        ++restored;
    }
    return restored;
}
