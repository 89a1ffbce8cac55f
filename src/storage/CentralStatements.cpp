#include "storage/CentralStatements.h"

#include "storage/PgConnection.h"
#include "storage/PgError.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace CentralStatements {

namespace {

const QString kTable = QStringLiteral("netzpegel_days");

// Column and the types it may have: ours, or one that holds the same values.
struct Column
{
    const char* name;
    QStringList types;
};

const std::vector<Column>& columns()
{
    static const QStringList text{QStringLiteral("text"), QStringLiteral("character varying"),
                                  QStringLiteral("character")};
    static const QStringList bytes{QStringLiteral("bigint"), QStringLiteral("numeric")};
    static const std::vector<Column> list{
        {"host_id", text},   {"host_name", text}, {"adapter", text},   {"adapter_name", text},
        {"mac", text},       {"day", {QStringLiteral("date")}},        {"received", bytes},
        {"sent", bytes},
    };
    return list;
}

// A byte count read back: bigint arrives as a number, numeric as text.
std::optional<qint64> amount(const QVariant& v)
{
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    bool ok = false;
    const qint64 n = v.toString().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

QString rangeCondition(const std::optional<QDate>& from, const std::optional<QDate>& to, QVariantList& params)
{
    QStringList parts;
    if (from) {
        params << *from;
        parts << QStringLiteral("day >= $%1::date").arg(params.size());
    }
    if (to) {
        params << *to;
        parts << QStringLiteral("day <= $%1::date").arg(params.size());
    }
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

} // namespace

QString tableName() { return kTable; }

bool isDayAmount(qint64 bytes) { return bytes >= 0 && bytes <= kMaxDayBytes; }

void prepareTable(PgConnection& pg)
{
    const auto found = pg.query(QStringLiteral("SELECT to_regclass($1) IS NOT NULL AS present"), {kTable});
    if (found.isEmpty() || found.first().text(QStringLiteral("present")) != QLatin1String("t")) {
        pg.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (host_id text NOT NULL, host_name text NOT NULL, "
                               "adapter text NOT NULL, adapter_name text NOT NULL, mac text NOT NULL, "
                               "day date NOT NULL, received bigint NOT NULL, sent bigint NOT NULL, "
                               "CONSTRAINT netzpegel_days_bytes CHECK (received >= 0 AND sent >= 0), "
                               "PRIMARY KEY (host_id, adapter, day))")
                    .arg(kTable));
        // The fleet's view of a period reads this index alone, never the table.
        pg.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS netzpegel_days_by_day ON %1 (day) "
                               "INCLUDE (host_id, adapter, host_name, adapter_name, received, sent)")
                    .arg(kTable));
        return;
    }
    QHash<QString, QString> types;
    const auto rows = pg.query(QStringLiteral("SELECT attname::text AS name, format_type(atttypid, NULL) AS type "
                                              "FROM pg_attribute WHERE attrelid = to_regclass($1) AND attnum > 0 "
                                              "AND NOT attisdropped"),
                               {kTable});
    for (const DbRow& r : rows)
        types.insert(r.text(QStringLiteral("name")), r.text(QStringLiteral("type")));
    QStringList differences;
    for (const Column& c : columns()) {
        const QString name = QString::fromLatin1(c.name);
        if (!types.contains(name))
            differences << QStringLiteral("column %1 is missing").arg(name);
        else if (!c.types.contains(types.value(name)))
            differences << QStringLiteral("column %1 is %2, not %3").arg(name, types.value(name), c.types.first());
    }
    // The upsert needs a unique key on exactly these three columns.
    const auto key = pg.query(
        QStringLiteral("SELECT count(*) AS n FROM pg_index i WHERE i.indrelid = to_regclass($1) AND i.indisunique "
                       "AND i.indpred IS NULL AND i.indexprs IS NULL AND i.indnkeyatts = 3 AND "
                       "(SELECT array_agg(a.attname::text ORDER BY a.attname) FROM pg_attribute a "
                       " WHERE a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey[0:2])) "
                       "= ARRAY['adapter', 'day', 'host_id']"),
        {kTable});
    if (key.isEmpty() || key.first().toInt64(QStringLiteral("n")) == 0)
        differences << QStringLiteral("no unique key on (host_id, adapter, day)");
    if (!differences.isEmpty())
        throw PgError(PgError::Kind::TableShape,
                      QStringLiteral("the table %1 has another shape: %2").arg(kTable, differences.join(QStringLiteral("; "))));
    const auto rights = pg.query(QStringLiteral("SELECT has_table_privilege(to_regclass($1), 'SELECT') AND "
                                                "has_table_privilege(to_regclass($1), 'INSERT') AND "
                                                "has_table_privilege(to_regclass($1), 'UPDATE') AS granted"),
                                 {kTable});
    if (rights.isEmpty() || rights.first().text(QStringLiteral("granted")) != QLatin1String("t"))
        throw PgError(PgError::Kind::PermissionDenied,
                      QStringLiteral("the role may not select, insert and update on %1").arg(kTable));
}

qint64 upsertDays(PgConnection& pg, const QString& hostId, const QString& hostName, const std::vector<DayRow>& rows)
{
    if (rows.empty())
        return 0;
    QStringList adapters, names, macs, days, received, sent;
    for (const DayRow& r : rows) {
        adapters << r.adapter;
        names << r.adapterName;
        macs << r.mac;
        days << r.day.toString(Qt::ISODate);
        received << QString::number(r.received);
        sent << QString::number(r.sent);
    }
    // One statement for the whole batch: arrays unnested into rows, each value still bound.
    return pg.exec(
        QStringLiteral(
            "INSERT INTO %1 AS d (host_id, host_name, adapter, adapter_name, mac, day, received, sent) "
            "SELECT $1, $2, u.adapter, u.adapter_name, u.mac, u.day, u.received, u.sent "
            "FROM unnest($3::text[], $4::text[], $5::text[], $6::date[], $7::bigint[], $8::bigint[]) "
            "AS u(adapter, adapter_name, mac, day, received, sent) "
            "ON CONFLICT (host_id, adapter, day) DO UPDATE SET host_name = excluded.host_name, "
            "adapter_name = COALESCE(NULLIF(excluded.adapter_name, ''), d.adapter_name), "
            "mac = COALESCE(NULLIF(excluded.mac, ''), d.mac), received = excluded.received, sent = excluded.sent "
            "WHERE (d.host_name, d.adapter_name, d.mac, d.received, d.sent) IS DISTINCT FROM "
            "(excluded.host_name, COALESCE(NULLIF(excluded.adapter_name, ''), d.adapter_name), "
            "COALESCE(NULLIF(excluded.mac, ''), d.mac), excluded.received, excluded.sent)")
            .arg(kTable),
        {hostId, hostName, PgConnection::textArray(adapters), PgConnection::textArray(names),
         PgConnection::textArray(macs), PgConnection::textArray(days), PgConnection::textArray(received),
         PgConnection::textArray(sent)});
}

std::vector<AdapterTotals> fleetTotals(PgConnection& pg, const std::optional<QDate>& from, const std::optional<QDate>& to)
{
    QVariantList params;
    const QString where = rangeCondition(from, to, params);
    // One pass over the period's entries of the index by day, grouped by hashing; the names
    // are the rows' (the greatest, should a machine have been renamed in the period).
    const auto rows = pg.query(
        QStringLiteral("SELECT host_id, adapter, max(host_name) AS host_name, max(adapter_name) AS adapter_name, "
                       "sum(received)::text AS received, sum(sent)::text AS sent, count(*) AS days, "
                       "min(least(received, sent))::text AS lowest, max(greatest(received, sent))::text AS highest "
                       "FROM %1%2 GROUP BY host_id, adapter")
            .arg(kTable, where),
        params);
    std::vector<AdapterTotals> totals;
    bool bad = false;
    for (const DbRow& r : rows) {
        AdapterTotals t;
        t.hostId = r.text(QStringLiteral("host_id"));
        t.hostName = r.text(QStringLiteral("host_name"));
        t.adapter = r.text(QStringLiteral("adapter"));
        t.adapterName = r.text(QStringLiteral("adapter_name"));
        t.days = r.toInt64(QStringLiteral("days"));
        const auto lowest = amount(r.value(QStringLiteral("lowest")));
        const auto highest = amount(r.value(QStringLiteral("highest")));
        const auto received = amount(r.value(QStringLiteral("received")));
        const auto sent = amount(r.value(QStringLiteral("sent")));
        if (!lowest || !highest || !isDayAmount(*lowest) || !isDayAmount(*highest) || !received || !sent
            || *received > std::numeric_limits<qint64>::max() - *sent) {
            bad = true;
            continue;
        }
        t.received = *received;
        t.sent = *sent;
        totals.push_back(t);
    }
    if (bad) {
        // Rare: only then are the rows counted that no day can hold, for the message.
        const auto badRows = pg.query(
            QStringLiteral("SELECT host_id, max(host_name) AS host_name, adapter, count(*) AS n FROM %1%2%3 "
                           "(received NOT BETWEEN 0 AND %4 OR sent NOT BETWEEN 0 AND %4) "
                           "GROUP BY host_id, adapter ORDER BY host_id, adapter")
                .arg(kTable, where, where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
                .arg(kMaxDayBytes),
            params);
        QStringList named;
        for (const DbRow& r : badRows)
            named << QStringLiteral("%1 (%2) %3: %4 days")
                         .arg(r.text(QStringLiteral("host_name")), r.text(QStringLiteral("host_id")),
                              r.text(QStringLiteral("adapter")))
                         .arg(r.toInt64(QStringLiteral("n")));
        throw PgError(PgError::Kind::BadValue,
                      QStringLiteral("the central table holds rows no day can hold (below 0 or above %1 bytes): %2")
                          .arg(kMaxDayBytes)
                          .arg(named.isEmpty() ? QStringLiteral("sums too large") : named.join(QStringLiteral("; "))));
    }
    std::sort(totals.begin(), totals.end(), [](const AdapterTotals& a, const AdapterTotals& b) {
        if (a.total() != b.total())
            return a.total() > b.total();
        if (a.hostName != b.hostName)
            return a.hostName < b.hostName;
        if (a.hostId != b.hostId)
            return a.hostId < b.hostId;
        return a.adapter < b.adapter;
    });
    return totals;
}

std::vector<Host> findHosts(PgConnection& pg, const QString& wanted)
{
    auto hostsWhere = [&](const QString& condition) {
        std::vector<Host> hosts;
        const auto rows = pg.query(QStringLiteral("SELECT host_id, (array_agg(host_name ORDER BY day DESC))[1] AS "
                                                  "host_name FROM %1 WHERE %2 = $1 GROUP BY host_id ORDER BY host_id")
                                       .arg(kTable, condition),
                                   {wanted});
        for (const DbRow& r : rows)
            hosts.push_back({r.text(QStringLiteral("host_id")), r.text(QStringLiteral("host_name"))});
        return hosts;
    };
    std::vector<Host> byId = hostsWhere(QStringLiteral("host_id"));
    return byId.empty() ? hostsWhere(QStringLiteral("host_name")) : byId;
}

std::vector<DayRow> hostDays(PgConnection& pg, const QString& hostId)
{
    const auto rows = pg.query(QStringLiteral("SELECT adapter, adapter_name, mac, day::text AS day, received, sent "
                                              "FROM %1 WHERE host_id = $1 ORDER BY adapter, day")
                                   .arg(kTable),
                               {hostId});
    std::vector<DayRow> days;
    days.reserve(static_cast<size_t>(rows.size()));
    for (const DbRow& r : rows) {
        DayRow d;
        d.adapter = r.text(QStringLiteral("adapter"));
        d.adapterName = r.text(QStringLiteral("adapter_name"));
        d.mac = r.text(QStringLiteral("mac"));
        d.day = QDate::fromString(r.text(QStringLiteral("day")), Qt::ISODate);
        const auto received = amount(r.value(QStringLiteral("received")));
        const auto sent = amount(r.value(QStringLiteral("sent")));
        if (!received || !sent || !isDayAmount(*received) || !isDayAmount(*sent) || !d.day.isValid())
            throw PgError(PgError::Kind::BadValue,
                          QStringLiteral("the central table holds a row no day can hold: %1 %2 %3 received %4 sent %5")
                              .arg(hostId, d.adapter, r.text(QStringLiteral("day")),
                                   r.value(QStringLiteral("received")).toString(),
                                   r.value(QStringLiteral("sent")).toString()));
        d.received = *received;
        d.sent = *sent;
        days.push_back(d);
    }
    return days;
}

} // namespace CentralStatements
