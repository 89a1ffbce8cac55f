#include "reports/TrafficDays.h"

#include "config/DetailText.h"
#include "reports/StoredValue.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

std::vector<TrafficDay> loadTrafficDays(Database& db, const QString& table)
{
    static const QString datum = QStringLiteral("Datum");
    static const QString received = QStringLiteral("received");
    static const QString send = QStringLiteral("send");
    const QList<DbRow> rows = TrafficStatements::allDays(db, table);
    std::vector<TrafficDay> days;
    days.reserve(static_cast<size_t>(rows.size()));
    for (const DbRow& row : rows) {
        const QVariant day = row.value(datum);
        TrafficDay d;
        d.day = storedDay(day);
        if (!d.day.isValid()) {
            const QStringList args{table, day.toString()};
            throw DetailError({QStringLiteral("RowNoDay"), args,
                               fillDetail(QStringLiteral("The table %1 holds a row whose date '%2' is no date"), args)});
        }
        for (const auto& [column, out] : {std::pair{&received, &d.received}, std::pair{&send, &d.sent}}) {
            const QVariant value = row.value(*column);
            const std::optional<long double> number = storedNumber(value);
            if (!number) {
                const QStringList args{table, value.toString(), *column, day.toString()};
                throw DetailError(
                    {QStringLiteral("ValueNoNumber"), args,
                     fillDetail(QStringLiteral("The table %1 holds '%2' as %3 of %4, which is not a number"), args)});
            }
            *out = *number;
        }
        days.push_back(d);
    }
    return days;
}
