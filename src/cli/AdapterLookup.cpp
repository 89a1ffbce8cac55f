#include "cli/AdapterLookup.h"

#include "cli/CachedTotals.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

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
    const CachedTotals cached = CachedTotals::read(&entries, err);
    if (cached.day != today || !cached.byTable.contains(table))
        return {};
    const RunningTotals t = cached.byTable.value(table);
    return {static_cast<long double>(t.received), static_cast<long double>(t.sent)};
}
