#include "cli/PlanMode.h"

#include "acquisition/NetlinkInterfaceTable.h"
#include "base/SystemClock.h"
#include "cli/AdapterLookup.h"
#include "cli/ProgramFiles.h"
#include "config/DataPlan.h"
#include "config/IniFile.h"
#include "engine/PlanUsage.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>

namespace {

struct PlanArguments
{
    QString adapter;
    bool json = false;
};

bool parseArguments(const QStringList& arguments, bool jsonAllowed, PlanArguments& a, QString& error)
{
    for (const QString& arg : arguments) {
        if (jsonAllowed && arg == QLatin1String("--json")) {
            a.json = true;
        } else if (arg.startsWith(QLatin1String("--")) || !a.adapter.isEmpty()) {
            error = QStringLiteral("unexpected '%1'").arg(arg);
            return false;
        } else {
            a.adapter = arg;
        }
    }
    return true;
}

// The usage of every plan `wanted` asks for (all when empty); false with `error` set when
// something cannot be read or the adapter has no plan.
bool usages(const QString& wanted, std::vector<PlanUsage>& result, QString& error, QTextStream& err)
{
    ProgramFiles files;
    if (!files.load(error))
        return false;
    const QDateTime now = SystemClock::instance().now();
    const QDate today = now.date();
    try {
        const std::unique_ptr<Database> db = ProgramFiles::openDatabase();
        NetlinkInterfaceTable interfaces;
        std::vector<ProgramEntry> entries;
        const bool listed = programEntries(interfaces, files, entries);
        QString table;
        QString name;
        if (!wanted.isEmpty()) {
            table = resolveTable(*db, wanted, entries, name);
            if (table.isEmpty()) {
                error = QStringLiteral("no adapter or traffic table named '%1'").arg(wanted);
                return false;
            }
        }
        const std::vector<DataPlan> plans = readDataPlans(today);
        const QStringList tables = db->userTables();
        for (const DataPlan& plan : plans) {
            if ((!table.isEmpty() && plan.table != table) || !tables.contains(plan.table))
                continue;
            const PlanPeriod period = planPeriod(plan.period, today);
            const UnbookedTotals unbooked =
                listed ? unbookedTotals(plan.table, today, entries, err) : UnbookedTotals();
            PlanUsage u = planUsage(plan, period, storedForPeriod(*db, plan.table, period),
                                    static_cast<double>(unbooked.received), static_cast<double>(unbooked.sent), today,
                                    period.elapsed(now));
            for (const ProgramEntry& e : entries)
                if (e.index == plan.table)
                    u.name = e.name;
            result.push_back(u);
        }
        if (!table.isEmpty() && result.empty()) {
            error = QStringLiteral("'%1' has no data plan").arg(wanted);
            return false;
        }
    } catch (const DatabaseError& e) {
        error = e.message();
        return false;
    } catch (const IniError& e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

QString line(const PlanUsage& u)
{
    const QString who = u.name.isEmpty() ? u.table : u.name + QStringLiteral(" (") + u.table + QLatin1Char(')');
    return QStringLiteral("%1: %2 to %3, used %4 of %5 bytes (%6 %), projected %7 bytes")
        .arg(who, u.period.start.toString(Qt::ISODate), u.period.end.toString(Qt::ISODate), QString::number(u.used),
             QString::number(u.limit), QString::number(u.percent, 'f', 1), QString::number(u.projected));
}

QJsonObject json(const PlanUsage& u)
{
    QJsonArray levels;
    for (int level : u.levelsReached)
        levels.append(level);
    return {{"adapter", u.table},
            {"name", u.name},
            {"period_start", u.period.start.toString(Qt::ISODate)},
            {"period_end", u.period.end.toString(Qt::ISODate)},
            {"used", static_cast<qint64>(u.used)},
            {"limit", static_cast<qint64>(u.limit)},
            {"percent", std::round(u.percent * 100) / 100},
            {"projected", static_cast<qint64>(std::min<uint64_t>(u.projected, INT64_MAX))},
            {"levels_reached", levels}};
}

} // namespace

int runPlan(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    PlanArguments args;
    QString error;
    std::vector<PlanUsage> found;
    if (!parseArguments(arguments, true, args, error) || !usages(args.adapter, found, error, err)) {
        err << "netzpegel --plan: " << error << '\n';
        return 1;
    }
    if (args.json) {
        QJsonArray all;
        for (const PlanUsage& u : found)
            all.append(json(u));
        out << QJsonDocument(all).toJson(QJsonDocument::Compact) << '\n';
    } else if (found.empty()) {
        out << "No adapter has a data plan.\n";
    } else {
        for (const PlanUsage& u : found)
            out << line(u) << '\n';
    }
    return 0;
}

int runAlert(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    PlanArguments args;
    QString error;
    std::vector<PlanUsage> found;
    if (!parseArguments(arguments, false, args, error) || !usages(args.adapter, found, error, err)) {
        err << "netzpegel --alert: " << error << '\n';
        return 1;
    }
    int code = 0;
    for (const PlanUsage& u : found) {
        const int reached = u.percent >= 100 ? 3 : u.levelsReached.isEmpty() ? 0 : 2;
        if (reached > 0)
            out << line(u) << '\n';
        code = std::max(code, reached);
    }
    return code;
}
