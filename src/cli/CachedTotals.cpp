#include "cli/CachedTotals.h"

#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "engine/CounterCache.h"
#include "engine/RestartCounters.h"

#include <QFile>

CachedTotals CachedTotals::read(const std::vector<ProgramEntry>* entries, QTextStream& err)
{
    CachedTotals totals;
    QString cacheName;
    try {
        cacheName = IniReadString(QStringLiteral("Variablen"), QStringLiteral("CacheDateiname"), variablesFilePath());
    } catch (const IniError&) {
        return totals; // no cache to read
    }
    if (cacheName.isEmpty())
        return totals;
    QByteArray onDisk;
    if (QFile f(programFile(cacheName)); f.open(QIODevice::ReadOnly))
        onDisk = f.readAll();
    else
        return totals;
    CounterCache::Contents cache;
    // The counters file beside the cache names the adapter of each group, also of those the
    // running window took on or lost since its start.
    RestartCounters counters(programFile(cacheName + QStringLiteral(".counters")));
    counters.load(onDisk);
    const QStringList owners = counters.cacheOwners();
    if (!owners.isEmpty() && CounterCache::parse(onDisk, owners.size(), cache) == CounterCache::Restored) {
        totals.day = cache.day;
        for (qsizetype k = 0; k < owners.size(); ++k)
            totals.byTable.insert(owners[k], {cache.groups[static_cast<size_t>(k)].received,
                                              cache.groups[static_cast<size_t>(k)].send});
        return totals;
    }
    // Its day, whatever its groups: the next start books that day from it.
    const qsizetype lines = onDisk.count('\n') + (onDisk.endsWith('\n') ? 0 : 1);
    if (CounterCache::parse(onDisk, (lines - 1) / 3, cache) != CounterCache::DoesNotFit)
        totals.day = cache.day;
    if (!entries)
        return totals;
    const int result = CounterCache::parse(onDisk, static_cast<qsizetype>(entries->size()), cache);
    if (result == CounterCache::DoesNotFit) {
        // The file names no adapters: its groups follow the running window's list.
        err << "netzpegel: the counter cache does not match this system's adapters; today's running totals are "
               "left out\n";
        return totals;
    }
    if (result != CounterCache::Restored)
        return totals;
    for (size_t k = 0; k < entries->size(); ++k)
        totals.byTable.insert((*entries)[k].index, {cache.groups[k].received, cache.groups[k].send});
    return totals;
}
