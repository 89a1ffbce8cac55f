#include "cli/AdapterLookup.h"

#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "engine/CounterCache.h"
#include "engine/RestartCounters.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

#include <QFile>
#include <QRegularExpression>

QString resolveTable(Database& db, const QString& wanted, const std::vector<ProgramEntry>& entries, QString& name)
{
    QStringList tables;
    for (const QString& t : db.userTables())
        if (t != QLatin1String("db") && !TrafficStatements::isSettingsTable(t))
            tables << t;
    auto nameOf = [&](const QString& table) {
        for (const ProgramEntry& e : entries)
            if (e.index == table)
                return e.name;
        return QString();
    };
    if (tables.contains(wanted)) {
        name = nameOf(wanted);
        return wanted;
    }
    static const QRegularExpression listed(QStringLiteral("^(.*) \\(([^()]+)\\)$"));
    if (const QRegularExpressionMatch m = listed.match(wanted); m.hasMatch() && tables.contains(m.captured(2))) {
        name = m.captured(1);
        return m.captured(2);
    }
    for (const ProgramEntry& e : entries) {
        if (e.name == wanted && tables.contains(e.index)) {
            name = e.name;
            return e.index;
        }
    }
    return {};
}

UnbookedTotals unbookedTotals(const QString& table, const QDate& today, const std::vector<ProgramEntry>& entries,
                              QTextStream& err)
{
    UnbookedTotals totals;
    QString cacheName;
    try {
        cacheName = IniReadString(QStringLiteral("Variablen"), QStringLiteral("CacheDateiname"), variablesFilePath());
    } catch (const IniError&) {
        return totals; // no cache to read
    }
    if (cacheName.isEmpty())
        return totals;
    CounterCache::Contents cache;
    // The counters file beside the cache names the adapter of each group, also
    // of those the running window took on or lost since its start.
    QByteArray onDisk;
    if (QFile f(programFile(cacheName)); f.open(QIODevice::ReadOnly))
        onDisk = f.readAll();
    RestartCounters counters(programFile(cacheName + QStringLiteral(".counters")));
    counters.load(onDisk);
    const QStringList owners = counters.cacheOwners();
    if (!owners.isEmpty() && CounterCache::peek(programFile(cacheName), owners.size(), cache) == CounterCache::Restored) {
        const qsizetype k = owners.indexOf(table);
        if (cache.day == today && k >= 0) {
            totals.received = cache.groups[static_cast<size_t>(k)].received;
            totals.sent = cache.groups[static_cast<size_t>(k)].send;
        }
        return totals;
    }
    const int result = CounterCache::peek(programFile(cacheName), static_cast<qsizetype>(entries.size()), cache);
    if (result == CounterCache::DoesNotFit) {
        // The file names no adapters: its groups follow the running window's list.
        err << "netzpegel: the counter cache does not match this system's adapters; today's running totals are "
               "left out\n";
        return totals;
    }
    if (result != CounterCache::Restored || cache.day != today)
        return totals;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (entries[k].index == table) {
            totals.received = cache.groups[k].received;
            totals.sent = cache.groups[k].send;
        }
    }
    return totals;
}
