#include "support/TestDatabase.h"

#include <algorithm>
#include <functional>

#include <sqlite3.h>

namespace {

// Table names are identifiers: quoted, with inner quotes doubled.
QByteArray quoted(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + q.toUtf8() + '"';
}

class Connection
{
public:
    explicit Connection(const QString& path, int flags = SQLITE_OPEN_READWRITE)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
        if (m_db)
            sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

} // namespace

std::map<QString, DayTraffic> trafficRows(const QString& dbPath, const QString& table)
{
    std::map<QString, DayTraffic> rows;
    Connection db(dbPath);
    if (!db.get())
        return rows;
    const QByteArray sql = "SELECT Datum, received, send FROM " + quoted(table);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* day = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        DayTraffic& t = rows[QString::fromUtf8(day ? day : "")];
        t.received += sqlite3_column_double(stmt, 1);
        t.send += sqlite3_column_double(stmt, 2);
        ++t.rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

DayTraffic trafficSince(const QString& dbPath, const QString& table, const QDate& first)
{
    DayTraffic sum;
    const QString from = first.toString(Qt::ISODate);
    for (const auto& [day, t] : trafficRows(dbPath, table)) {
        if (day < from)
            continue;
        sum.received += t.received;
        sum.send += t.send;
        sum.rows = std::max(sum.rows, t.rows);
    }
    return sum;
}

DayTraffic trafficSum(const QString& dbPath, const QString& table)
{
    DayTraffic sum;
    for (const auto& [day, t] : trafficRows(dbPath, table)) {
        sum.received += t.received;
        sum.send += t.send;
        sum.rows += t.rows;
    }
    return sum;
}

QString integrityCheck(const QString& dbPath)
{
    Connection db(dbPath);
    sqlite3_stmt* stmt = nullptr;
    if (!db.get() || sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK)
        return QStringLiteral("cannot be opened");
    QStringList lines;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return lines.join(QLatin1Char('\n'));
}

namespace {

// "UPDATE <index>_einstellungen SET <assignments>" with the values `bind` gives; true when it
// changed the table's one row.
bool updateSettingsRow(const QString& dbPath, const QString& index, const char* assignments,
                       const std::function<void(sqlite3_stmt*)>& bind)
{
    Connection db(dbPath);
    if (!db.get())
        return false;
    const QByteArray sql = "UPDATE " + quoted(index + QStringLiteral("_einstellungen")) + " SET " + assignments;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    bind(stmt);
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE && sqlite3_changes(db.get()) == 1;
    sqlite3_finalize(stmt);
    return ok;
}

} // namespace

bool setAnzeigen(const QString& dbPath, const QString& index, const QString& anzeigen)
{
    const QByteArray value = anzeigen.toUtf8();
    return updateSettingsRow(dbPath, index, "anzeigen = ?", [&](sqlite3_stmt* stmt) {
        sqlite3_bind_text(stmt, 1, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    });
}

bool setGraphPlace(const QString& dbPath, const QString& index, int links, int oben)
{
    return updateSettingsRow(dbPath, index, "links = ?, oben = ?", [&](sqlite3_stmt* stmt) {
        sqlite3_bind_int(stmt, 1, links);
        sqlite3_bind_int(stmt, 2, oben);
    });
}

StoredPlace storedGraphPlace(const QString& dbPath, const QString& index)
{
    StoredPlace place;
    Connection db(dbPath);
    if (!db.get())
        return place;
    const QByteArray sql = "SELECT links, oben FROM " + quoted(index + QStringLiteral("_einstellungen"));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return place;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        place.links = sqlite3_column_int(stmt, 0);
        place.oben = sqlite3_column_int(stmt, 1);
        place.valid = true;
    }
    sqlite3_finalize(stmt);
    return place;
}

DatabaseWriteLock::DatabaseWriteLock(const QString& dbPath)
{
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        m_held = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

DatabaseWriteLock::~DatabaseWriteLock()
{
    if (m_held)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

QStringList trafficTables(const QString& dbPath)
{
    QStringList adapters;
    bool dfu = false;
    Connection c(dbPath);
    sqlite3_stmt* stmt = nullptr;
    if (!c.get()
        || sqlite3_prepare_v2(c.get(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &stmt,
                              nullptr) != SQLITE_OK)
        return {};
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        if (name == QLatin1String("dfu"))
            dfu = true;
        else if (name != QLatin1String("db") && !name.startsWith(QLatin1String("sqlite_"))
                 && !name.endsWith(QLatin1String("_einstellungen")))
            adapters << name;
    }
    sqlite3_finalize(stmt);
    if (dfu)
        adapters << QStringLiteral("dfu");
    return adapters;
}

namespace {

bool execute(sqlite3* db, const QByteArray& sql)
{
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

int bindStored(sqlite3_stmt* stmt, int i, const QVariant& v)
{
    if (v.isNull())
        return sqlite3_bind_null(stmt, i);
    if (v.typeId() == QMetaType::QString) {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(stmt, i, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_double(stmt, i, v.toDouble());
}

} // namespace

bool storeTrafficRows(const QString& dbPath, const QString& index, const std::vector<StoredRow>& rows, bool bericht)
{
    Connection c(dbPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3* db = c.get();
    if (!db)
        return false;
    const QByteArray traffic = quoted(index);
    const QByteArray settings = quoted(index + QStringLiteral("_einstellungen"));
    bool ok = execute(db, "BEGIN")
        && execute(db, "CREATE TABLE IF NOT EXISTS " + traffic + " (Datum DATE, received REAL, send REAL)")
        && execute(db, "CREATE TABLE IF NOT EXISTS " + settings
                           + " (anzeigen CHAR(2), maxspeed REAL, links SMALLINT, oben SMALLINT, \"höhe\" SMALLINT, "
                             "breite SMALLINT, ontop SMALLINT, tranz SMALLINT, tranz_wert SMALLINT, bericht SMALLINT, "
                             "forecolor INTEGER, backcolor INTEGER, sendgraph INTEGER, recvgraph INTEGER)")
        && execute(db, "INSERT INTO " + settings + " SELECT '11', 0, 0, 0, 100, 100, 0, 0, 0, 1, 16150899, 16744825, "
                           "255, 16711680 WHERE NOT EXISTS (SELECT 1 FROM " + settings + ")")
        && execute(db, "UPDATE " + settings + " SET bericht = " + (bericht ? "1" : "0"));
    sqlite3_stmt* stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, ("INSERT INTO " + traffic + " VALUES (?, ?, ?)").constData(), -1, &stmt, nullptr)
            == SQLITE_OK;
    for (const StoredRow& row : rows) {
        if (!ok)
            break;
        const QByteArray day = row.datum.toUtf8();
        ok = sqlite3_bind_text(stmt, 1, day.constData(), static_cast<int>(day.size()), SQLITE_TRANSIENT) == SQLITE_OK
            && bindStored(stmt, 2, row.received) == SQLITE_OK && bindStored(stmt, 3, row.send) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return execute(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

DatabaseExclusiveLock::DatabaseExclusiveLock(const QString& dbPath)
{
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        m_held = execute(m_db, "PRAGMA locking_mode=EXCLUSIVE") && execute(m_db, "BEGIN EXCLUSIVE");
}

DatabaseExclusiveLock::~DatabaseExclusiveLock()
{
    if (m_held)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}
