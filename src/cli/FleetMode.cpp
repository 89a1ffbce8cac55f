#include "cli/FleetMode.h"

#include "cli/CentralAccess.h"
#include "cli/ProgramFiles.h"
#include "config/QuantityFormat.h"
#include "storage/CentralStatements.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"

#include <QHash>
#include <QJsonArray>
#include <QSet>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace {

struct FleetArguments
{
    std::optional<QDate> from;
    std::optional<QDate> to;
    bool json = false;
};

bool parseArguments(const QStringList& arguments, FleetArguments& a, QString& error)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--json")) {
            a.json = true;
        } else if (arg == QLatin1String("--from") || arg == QLatin1String("--to")) {
            const QString text = arguments.value(++i);
            const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!day.isValid()) {
                error = QStringLiteral("%1 wants a date as YYYY-MM-DD, not '%2'").arg(arg, text);
                return false;
            }
            (arg == QLatin1String("--from") ? a.from : a.to) = day;
        } else {
            error = QStringLiteral("unexpected '%1'").arg(arg);
            return false;
        }
    }
    if (a.from && a.to && *a.from > *a.to) {
        error = QStringLiteral("--from %1 lies after --to %2")
                    .arg(a.from->toString(Qt::ISODate), a.to->toString(Qt::ISODate));
        return false;
    }
    return true;
}

void printJson(const std::vector<CentralStatements::AdapterTotals>& totals, QTextStream& out)
{
    QJsonArray list;
    for (const auto& t : totals)
        list.append(QJsonObject{{"host_id", t.hostId},
                                {"host_name", t.hostName},
                                {"adapter", t.adapter},
                                {"adapter_name", t.adapterName},
                                {"received", t.received},
                                {"sent", t.sent},
                                {"total", t.total()},
                                {"days", t.days}});
    out << QJsonDocument(list).toJson(QJsonDocument::Compact) << '\n';
}

void printTable(const std::vector<CentralStatements::AdapterTotals>& totals, const ProgramFiles& files,
                QTextStream& out)
{
    using Line = std::array<QString, 6>;
    std::vector<Line> lines{{QStringLiteral("Host"), QStringLiteral("Adapter"), QStringLiteral("Received"),
                             QStringLiteral("Sent"), QStringLiteral("Total"), QStringLiteral("Days")}};
    // A name two machines share is told apart by their ids.
    QHash<QString, QSet<QString>> idsOfName;
    for (const auto& t : totals)
        idsOfName[t.hostName].insert(t.hostId);
    for (const auto& t : totals) {
        QString host = t.hostName.isEmpty() ? t.hostId : t.hostName;
        if (!t.hostName.isEmpty() && idsOfName.value(t.hostName).size() > 1)
            host += QStringLiteral(" (") + t.hostId + QLatin1Char(')');
        const QString adapter = t.adapterName.isEmpty() ? t.adapter
                                                        : t.adapterName + QStringLiteral(" (") + t.adapter + QLatin1Char(')');
        lines.push_back({host, adapter,
                         FormatQuantity(t.received, files.base, files.sprache),
                         FormatQuantity(t.sent, files.base, files.sprache),
                         FormatQuantity(t.total(), files.base, files.sprache), QString::number(t.days)});
    }
    std::array<qsizetype, 6> width{};
    for (const Line& line : lines)
        for (size_t c = 0; c < line.size(); ++c)
            width[c] = std::max(width[c], line[c].size());
    for (const Line& line : lines) {
        QString text;
        for (size_t c = 0; c < line.size(); ++c) {
            if (c > 0)
                text += QStringLiteral("  ");
            text += c < 2 ? line[c].leftJustified(width[c]) : line[c].rightJustified(width[c]);
        }
        out << text.trimmed() << '\n';
    }
}

} // namespace

int runFleet(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    FleetArguments args;
    ProgramFiles files;
    QString error;
    QString connection;
    if (!parseArguments(arguments, args, error) || !files.load(error)
        || !CentralAccess::connectionString(files, connection, error)) {
        err << "netzpegel --fleet: " << error << '\n';
        return 1;
    }
    try {
        PgConnection central(connection);
        const auto totals = CentralStatements::fleetTotals(central, args.from, args.to);
        if (args.json)
            printJson(totals, out);
        else
            printTable(totals, files, out);
    } catch (const PgError& e) {
        err << "netzpegel --fleet: " << CentralAccess::describe(e) << '\n';
        return 1;
    }
    return 0;
}
