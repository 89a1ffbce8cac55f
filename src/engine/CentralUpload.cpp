#include "engine/CentralUpload.h"

#include "storage/CentralStatements.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"
#include "storage/PgConnection.h"
#include "storage/SentWatermarks.h"
#include "storage/TrafficStatements.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A stored amount as a central byte count; nothing when no day can hold it.
std::optional<qint64> dayBytes(long double value)
{
    if (!std::isfinite(value) || value < 0 || value > static_cast<long double>(CentralStatements::kMaxDayBytes))
        return std::nullopt;
    return static_cast<qint64>(std::llround(value));
}

} // namespace

CentralUpload::CentralUpload(Database& local, PgConnection& central)
    : m_local(local)
    , m_central(central)
{
}

QStringList CentralUpload::trafficTables(Database& local)
{
    QStringList tables;
    for (const QString& t : local.userTables())
        if (t.compare(QLatin1String("db"), Qt::CaseInsensitive) != 0 && !TrafficStatements::isSettingsTable(t)
            && t != SentWatermarks::tableName())
            tables << t;
    return tables;
}

QString CentralUpload::targetKey(const QString& connectionString, const QString& machineId)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((machineId + QLatin1Char('\n') + connectionString).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

UploadResult CentralUpload::run(const UploadRequest& request)
{
    UploadResult result;
    const QHash<QString, QDate> marks = SentWatermarks::read(m_local, request.target);
    QHash<QString, CentralAdapter> known;
    for (const CentralAdapter& a : request.adapters)
        known.insert(a.index, a);

    std::vector<CentralStatements::DayRow> rows;
    for (const QString& table : trafficTables(m_local)) {
        const CentralAdapter adapter = known.value(table);
        QVariantList params;
        QString where;
        if (const auto mark = marks.constFind(table); mark != marks.constEnd() && !request.everyDay) {
            where = QStringLiteral(" WHERE Datum > ?");
            params << isoDate(*mark);
        }
        QList<DbRow> stored;
        try {
            // Two rows of one day (an old fault, an import) are one day to the central table.
            stored = m_local.query(QStringLiteral("SELECT Datum, sum(received) AS received, sum(send) AS send FROM %1%2 "
                                                  "GROUP BY Datum ORDER BY Datum")
                                       .arg(Database::quoteIdentifier(table), where),
                                   params);
        } catch (const DatabaseError& e) {
            result.skipped << QStringLiteral("%1: %2").arg(table, e.message());
            continue;
        }
        const RunningTotals running = request.running.value(table);
        bool todayStored = false;
        auto add = [&](const QDate& day, long double received, long double sent) {
            const auto r = dayBytes(received);
            const auto s = dayBytes(sent);
            if (!r || !s) {
                result.skipped << QStringLiteral("%1 %2: received %3, sent %4 is no day's traffic")
                                      .arg(table, day.toString(Qt::ISODate))
                                      .arg(static_cast<double>(received))
                                      .arg(static_cast<double>(sent));
                return;
            }
            rows.push_back({table, adapter.name, adapter.mac, day, *r, *s});
        };
        for (const DbRow& r : stored) {
            const QDate day = TrafficStatements::dayOfRow(r);
            if (!day.isValid()) {
                result.skipped << QStringLiteral("%1: '%2' is no date").arg(table, r.text(QStringLiteral("Datum")));
                continue;
            }
            long double received = r.toDouble(QStringLiteral("received"));
            long double sent = r.toDouble(QStringLiteral("send"));
            if (day == request.today) {
                if (!request.includeToday)
                    continue;
                todayStored = true;
                received += running.received;
                sent += running.sent;
            }
            add(day, received, sent);
        }
        if (request.includeToday && !todayStored && (running.received > 0 || running.sent > 0))
            add(request.today, running.received, running.sent);
    }
    if (rows.empty())
        return result;

    CentralStatements::prepareTable(m_central);
    const qint64 total = static_cast<qint64>(rows.size());
    for (size_t first = 0; first < rows.size(); first += kBatchRows) {
        const size_t end = std::min(rows.size(), first + kBatchRows);
        const std::vector<CentralStatements::DayRow> batch(rows.begin() + static_cast<std::ptrdiff_t>(first),
                                                           rows.begin() + static_cast<std::ptrdiff_t>(end));
        result.rowsChanged += CentralStatements::upsertDays(m_central, request.machine.id, request.machine.hostName, batch);
        result.rowsSent += static_cast<qint64>(batch.size());
        // Each table's days go out in order, so everything up to its last day here is sent.
        QHash<QString, QDate> reached;
        for (const CentralStatements::DayRow& r : batch)
            if (r.day <= request.completeThrough)
                reached.insert(r.adapter, r.day);
        if (!reached.isEmpty()) {
            Database::Transaction transaction(m_local);
            for (auto it = reached.constBegin(); it != reached.constEnd(); ++it)
                if (!marks.contains(it.key()) || marks.value(it.key()) < it.value())
                    SentWatermarks::write(m_local, request.target, it.key(), it.value());
            transaction.commit();
        }
        if (m_progress)
            m_progress(result.rowsSent, total);
    }
    return result;
}
