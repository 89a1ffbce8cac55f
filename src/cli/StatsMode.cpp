#include "cli/StatsMode.h"

#include "acquisition/NetlinkInterfaceTable.h"
#include "base/SystemClock.h"
#include "cli/AdapterLookup.h"
#include "cli/CachedTotals.h"
#include "cli/CentralAccess.h"
#include "cli/CentralHostCopy.h"
#include "cli/ProgramFiles.h"
#include "base/ProgramFolder.h"
#include "reports/LocaleTexts.h"
#include "reports/StatistikQuery.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/TrafficStatements.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

struct StatsArguments
{
    QString adapter;
    std::optional<QDate> from;
    std::optional<QDate> to;
    bool json = false;
    QString host; // another machine's days, from the central database
};

bool parseArguments(const QStringList& arguments, StatsArguments& a, QString& error)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--json")) {
            a.json = true;
        } else if (arg == QLatin1String("--host")) {
            a.host = arguments.value(++i);
            if (a.host.isEmpty()) {
                error = QStringLiteral("--host wants a host's id or name");
                return false;
            }
        } else if (arg == QLatin1String("--from") || arg == QLatin1String("--to")) {
            const QString text = arguments.value(++i);
            const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!day.isValid()) {
                error = QStringLiteral("%1 wants a date as YYYY-MM-DD, not '%2'").arg(arg, text);
                return false;
            }
            (arg == QLatin1String("--from") ? a.from : a.to) = day;
        } else if (arg.startsWith(QLatin1String("--")) || !a.adapter.isEmpty()) {
            error = QStringLiteral("unexpected '%1'").arg(arg);
            return false;
        } else {
            a.adapter = arg;
        }
    }
    if (a.adapter.isEmpty()) {
        error = QStringLiteral("which adapter? Give its table or its name");
        return false;
    }
    return true;
}

QJsonValue bytes(const std::optional<long double>& value)
{
    return value ? QJsonValue(static_cast<qint64>(std::llround(*value))) : QJsonValue();
}

QJsonValue isoOrNull(const std::optional<QDate>& day)
{
    return day ? QJsonValue(day->toString(Qt::ISODate)) : QJsonValue();
}

void printJson(const StatistikRequest& r, const QString& name, const StatistikData& data, QTextStream& out)
{
    QJsonArray days;
    for (const StatistikDay& d : data.days)
        days.append(QJsonObject{{"date", d.day.isValid() ? d.day.toString(Qt::ISODate) : d.dayText},
                                {"received", bytes(d.received)},
                                {"sent", bytes(d.sent)}});
    const QJsonObject json{
        {"adapter", r.table},
        {"name", name},
        {"from", isoOrNull(r.from)},
        {"to", isoOrNull(r.to)},
        {"days", days},
        {"total", QJsonObject{{"received", bytes(data.totalReceived)}, {"sent", bytes(data.totalSent)}}},
        {"average", QJsonObject{{"received", bytes(data.averageReceived())}, {"sent", bytes(data.averageSent())}}},
    };
    out << QJsonDocument(json).toJson(QJsonDocument::Compact) << '\n';
}

void printTable(const QString& heading, const StatistikView& view, const TSprache& sprache, QTextStream& out)
{
    std::vector<std::array<QString, 3>> lines{view.headers};
    lines.insert(lines.end(), view.rows.begin(), view.rows.end());
    const QString section = QStringLiteral("TabSheet3");
    lines.push_back({sprache.text(section, QStringLiteral("Label10->Caption")), view.totalReceived, view.totalSent});
    lines.push_back({sprache.text(section, QStringLiteral("Label9->Caption")), view.averageReceived, view.averageSent});
    std::array<qsizetype, 3> width{};
    for (const auto& line : lines)
        for (size_t c = 0; c < 3; ++c)
            width[c] = std::max(width[c], line[c].size());
    out << heading << '\n';
    for (const auto& line : lines)
        out << line[0].leftJustified(width[0]) << "  " << line[1].rightJustified(width[1]) << "  "
            << line[2].rightJustified(width[2]) << '\n';
}

} // namespace

int runStats(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    StatsArguments args;
    QString error;
    ProgramFiles files;
    if (!parseArguments(arguments, args, error) || !files.load(error)) {
        err << "netzpegel --stats: " << error << '\n';
        return 1;
    }
    try {
        std::unique_ptr<Database> db;
        CentralHostCopy host;
        std::vector<ProgramEntry> entries;
        bool listed = false;
        if (args.host.isEmpty()) {
            db = ProgramFiles::openDatabase();
            NetlinkInterfaceTable interfaces;
            listed = programEntries(interfaces, files, entries);
        } else {
            QString connection;
            if (!CentralAccess::connectionString(files, connection, error) || !host.load(connection, args.host, error)) {
                err << "netzpegel --stats: " << error << '\n';
                return 1;
            }
            entries = host.adapters();
        }
        Database& source = db ? *db : host.database();
        QString name;
        StatistikRequest request;
        request.table = resolveTable(source, args.adapter, entries, name);
        if (request.table.isEmpty()) {
            err << "netzpegel --stats: no adapter or traffic table named '" << args.adapter << "'";
            if (!args.host.isEmpty())
                err << " on " << host.hostName() << " (" << host.hostId() << ')';
            err << '\n';
            return 1;
        }
        request.from = args.from;
        request.to = args.to;
        request.today = SystemClock::instance().today();
        if (listed) {
            // The running totals of the table in the cache file, when that file is today's.
            const CachedTotals cached = CachedTotals::read(&entries, err);
            if (cached.day == request.today && cached.byTable.contains(request.table)) {
                request.unbookedReceived = cached.byTable.value(request.table).received;
                request.unbookedSent = cached.byTable.value(request.table).sent;
            }
        }
        const StatistikData data = queryStatistik(source, request);
        if (args.json)
            printJson(request, name, data, out);
        else
            printTable(name.isEmpty() ? request.table : name + QStringLiteral(" (") + request.table + QLatin1Char(')'),
                       formatStatistik(data, files.base, files.sprache, LocaleTexts()), files.sprache, out);
    } catch (const DatabaseError& e) {
        err << "netzpegel --stats: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
