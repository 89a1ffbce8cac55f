#include "engine/RestartCounters.h"

#include "acquisition/TNic.h"
#include "base/FileReplace.h"
#include "engine/CounterCache.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>

namespace {

// Marks where the entries of the cache before the newest one begin.
const QByteArray kPrevious("previous ");

// Counters are whole numbers below 2^64; kept and written as integers they read back exactly.
qulonglong counterValue(long double value)
{
    return static_cast<qulonglong>(value < 0 ? 0 : value);
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

RestartCounters::Generation RestartCounters::generationOf(const std::vector<TNic*>& v, const QByteArray& fingerprint)
{
    Generation g{fingerprint, {}, {}};
    for (const TNic* nic : v) {
        g.owners << nic->Index;
        // An entry never sampled has no counters to go on from: its next start is a first sample.
        if (!nic->sampled())
            continue;
        long double send = 0;
        long double received = 0;
        nic->get_alte_werte(send, received);
        g.counters.insert(nic->Index, {counterValue(send), counterValue(received)});
    }
    return g;
}

QByteArray RestartCounters::entryLines(const Generation& g)
{
    QByteArray out;
    for (const QString& index : g.owners) {
        out += index.toUtf8();
        if (const auto s = g.counters.constFind(index); s != g.counters.constEnd())
            out += ' ' + QByteArray::number(s->send) + ' ' + QByteArray::number(s->received);
        out += '\n';
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
        if (parts.size() != 1 && parts.size() != 3)
            continue;
        const QString index = QString::fromUtf8(parts[0]);
        if (index.isEmpty())
            continue;
        Generation& g = content.generations.back();
        g.owners << index;
        if (parts.size() != 3)
            continue;
        bool okSend = false;
        bool okReceived = false;
        const Stored s{parts[1].toULongLong(&okSend), parts[2].toULongLong(&okReceived)};
        if (okSend && okReceived)
            g.counters.insert(index, s);
    }
    return content;
}

bool RestartCounters::write(const std::vector<TNic*>& v, const QByteArray& cacheContent)
{
    // Without a boot identity the counters never count, but the list of entries still does.
    const QByteArray boot = bootId();
    const QByteArray newest = fingerprint(cacheContent);
    QByteArray out = (boot.isEmpty() ? QByteArray("-") : boot) + '\n' + newest + '\n'
        + entryLines(generationOf(v, newest));
    if (m_onDiskKnown && m_onDisk.fingerprint != newest)
        out += kPrevious + m_onDisk.fingerprint + '\n' + entryLines(m_onDisk);
    return replaceFile(m_filePath, out);
}

bool RestartCounters::replaceCache(const std::vector<TNic*>& v, const QString& cachePath, const QByteArray& cacheContent)
{
    // Without its counters file the cache is still worth writing: a later boot needs only the totals.
    write(v, cacheContent);
    if (!CounterCache::replace(cachePath, cacheContent))
        return false;
    m_onDiskKnown = true;
    m_onDisk = generationOf(v, fingerprint(cacheContent));
    return true;
}

void RestartCounters::load(const QByteArray& cacheContent)
{
    // Whatever the file says, this cache is on disk now; what goes with it is known only from the file.
    m_onDiskKnown = true;
    m_onDisk = {fingerprint(cacheContent), {}, {}};
    m_stored.clear();
    QFile f(m_filePath);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const Content content = parse(f.readAll());
    const auto match = std::find_if(content.generations.begin(), content.generations.end(),
                                    [&](const Generation& g) { return g.fingerprint == m_onDisk.fingerprint; });
    if (match == content.generations.end())
        return; // the totals on disk are not the ones these entries go with
    m_onDisk = *match;
    const QByteArray boot = bootId();
    if (boot.isEmpty() || content.boot != boot)
        m_onDisk.counters.clear(); // another boot: the kernel counters started again
    m_stored = m_onDisk.counters;
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
    return apply(m_stored, nic, row);
}

bool RestartCounters::apply(QHash<QString, Stored>& counters, TNic& nic, const IfRow& row)
{
    const auto s = counters.constFind(nic.Index);
    if (nic.isDfu() || s == counters.constEnd())
        return false;
    const Stored stored = *s;
    counters.erase(s);
    // A counter below the stored one means the adapter was reset: start afresh.
    if (row.outOctets < stored.send || row.inOctets < stored.received)
        return false;
    nic.set_alte_werte(stored.send, stored.received);
    return true;
}
