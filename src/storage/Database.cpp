#include "storage/Database.h"

#include "base/FileReplace.h"
#include "base/ProgramFolder.h"
#include "storage/DatabaseError.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <limits>

namespace {

const QByteArray kSqliteHeader("SQLite format 3\0", 16);

// Finalizes a prepared statement on every way out.
struct Statement
{
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString engineMessage(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

int bindValue(sqlite3_stmt* stmt, int i, const QVariant& v)
{
    if (v.isNull())
        return sqlite3_bind_null(stmt, i);
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return sqlite3_bind_int64(stmt, i, v.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return sqlite3_bind_double(stmt, i, v.toDouble());
        return sqlite3_bind_int64(stmt, i, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, i, v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob64(stmt, i, b.constData(), static_cast<sqlite3_uint64>(b.size()),
                                   SQLITE_TRANSIENT);
    }
    case QMetaType::QDate:
        return sqlite3_bind_text(stmt, i, v.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                 SQLITE_TRANSIENT);
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text64(stmt, i, text.constData(), static_cast<sqlite3_uint64>(text.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    }
}

QVariant columnValue(sqlite3_stmt* stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, i)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, i)));
    }
    default:
        return QVariant();
    }
}

// Copies the shipped empty database to `target`; never over an existing file.
QString layDownShippedDatabase(const QString& target)
{
    QFile in(QStringLiteral(":/shipped/") + Database::fileName());
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("the shipped empty database is missing from the program");
    QString error;
    if (!createFile(target, in.readAll(), &error))
        return error;
    return {};
}

} // namespace

Database::Options Database::readOnlyOptions()
{
    Options o;
    o.readOnly = true;
    o.layDownShippedIfMissing = false;
    return o;
}

Database::Database(QString filePath)
    : Database(std::move(filePath), Options())
{
}

Database::Database(QString filePath, Options options)
    : m_path(std::move(filePath))
    , m_options(options)
{
}

Database::~Database() { close(); }

QString Database::fileName() { return QStringLiteral("Datenbank.mdb"); }

QString Database::programDatabasePath() { return programFile(fileName()); }

void Database::fail(const QString& what) const
{
    throw DatabaseError(QStringLiteral("%1 (database %2)").arg(what, m_path));
}

// The engine would take an empty file for an empty database and a foreign
// file only fails later; look at the header first and touch nothing else.
void Database::checkFileBeforeOpen()
{
    QFileInfo info(m_path);
    if (!info.exists()) {
        if (!m_options.layDownShippedIfMissing || m_options.readOnly)
            fail(QStringLiteral("the database file does not exist"));
        const QString error = layDownShippedDatabase(m_path);
        if (!error.isEmpty() && !QFileInfo::exists(m_path))
            fail(QStringLiteral("the database file does not exist and cannot be created: %1").arg(error));
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("the database file cannot be read: %1").arg(file.errorString()));
    if (file.read(kSqliteHeader.size()) != kSqliteHeader)
        fail(QStringLiteral("the file is not an SQLite database"));
}

void Database::open()
{
    if (m_db)
        return;
    checkFileBeforeOpen();
    const int flags = (m_options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE)
        | SQLITE_OPEN_FULLMUTEX;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = engineMessage(db);
        sqlite3_close_v2(db);
        fail(message);
    }
    m_db = db;
    m_transactionDepth = 0;
    installWaitHandlers();
    try {
        // Reads and checks the schema before anything could write to the file.
        query(QStringLiteral("PRAGMA schema_version"));
    } catch (...) {
        close();
        throw;
    }
    if (!m_options.readOnly) {
        // Readers on other threads then never block a booking. Where the switch
        // is refused (read-only medium) the default journal still works.
        try {
            query(QStringLiteral("PRAGMA journal_mode=WAL"));
        } catch (const DatabaseError&) {
        }
    }
}

void Database::close()
{
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_transactionDepth = 0;
}

void Database::setBusyTimeout(int ms)
{
    m_options.busyTimeoutMs = ms;
    if (m_db)
        installWaitHandlers();
}

void Database::setAbortCheck(std::function<bool()> check)
{
    m_abortCheck = std::move(check);
    if (m_db)
        installWaitHandlers();
}

void Database::installWaitHandlers()
{
    if (!m_abortCheck) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        sqlite3_busy_timeout(m_db, m_options.busyTimeoutMs);
        return;
    }
    sqlite3_progress_handler(m_db, 1000, &Database::onProgress, this);
    sqlite3_busy_handler(m_db, &Database::onBusy, this);
}

int Database::onProgress(void* self)
{
    return static_cast<Database*>(self)->m_abortCheck() ? 1 : 0;
}

// The busy timeout in short naps, so that a stop is noticed while waiting for a lock.
int Database::onBusy(void* self, int count)
{
    constexpr int kNapMs = 10;
    const auto* db = static_cast<Database*>(self);
    if (db->m_abortCheck() || static_cast<qint64>(count) * kNapMs >= db->m_options.busyTimeoutMs)
        return 0;
    sqlite3_sleep(kNapMs);
    return 1;
}

void Database::setStatementObserver(std::function<void(const QString&)> observer)
{
    m_observer = std::move(observer);
}

qint64 Database::exec(const QString& sql, const QVariantList& params)
{
    run(sql, params, nullptr);
    return sqlite3_changes64(m_db);
}

QList<DbRow> Database::query(const QString& sql, const QVariantList& params)
{
    QList<DbRow> rows;
    run(sql, params, &rows);
    return rows;
}

void Database::run(const QString& sql, const QVariantList& params, QList<DbRow>* rows)
{
    open();
    if (m_observer)
        m_observer(sql);
    const QByteArray text = sql.toUtf8();
    Statement st;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &st.stmt, &tail)
        != SQLITE_OK)
        fail(QStringLiteral("%1 in statement: %2").arg(engineMessage(m_db), sql));
    if (!st.stmt)
        fail(QStringLiteral("empty statement"));
    // Only ever one statement: anything after it would silently be ignored.
    if (tail && !QByteArray(tail).trimmed().isEmpty())
        fail(QStringLiteral("more than one statement in: %1").arg(sql));
    if (sqlite3_bind_parameter_count(st.stmt) != params.size())
        fail(QStringLiteral("statement expects %1 values, %2 given: %3")
                 .arg(sqlite3_bind_parameter_count(st.stmt))
                 .arg(params.size())
                 .arg(sql));
    for (int i = 0; i < params.size(); ++i) {
        if (bindValue(st.stmt, i + 1, params[i]) != SQLITE_OK)
            fail(QStringLiteral("%1 in statement: %2").arg(engineMessage(m_db), sql));
    }

    QStringList columns;
    const int columnCount = sqlite3_column_count(st.stmt);
    for (int i = 0; i < columnCount; ++i)
        columns << QString::fromUtf8(sqlite3_column_name(st.stmt, i));
    for (;;) {
        const int rc = sqlite3_step(st.stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            fail(QStringLiteral("%1 in statement: %2").arg(engineMessage(m_db), sql));
        if (rows) {
            QVariantList values;
            values.reserve(columnCount);
            for (int i = 0; i < columnCount; ++i)
                values << columnValue(st.stmt, i);
            rows->append(DbRow(columns, values));
        }
    }
}

QStringList Database::userTables()
{
    QStringList names;
    const auto rows = query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    for (const DbRow& row : rows) {
        const QString name = row.text(QStringLiteral("name"));
        if (!name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            names << name;
    }
    return names;
}

QString Database::quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Database::Transaction::Transaction(Database& db)
    : m_db(db)
    , m_level(db.m_transactionDepth)
{
    // IMMEDIATE takes the write lock up front (waiting out the busy timeout),
    // so a read followed by a write inside never meets a stale snapshot.
    m_db.exec(m_level == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + savepointName());
    ++m_db.m_transactionDepth;
}

bool Database::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

QString Database::Transaction::savepointName() const { return QStringLiteral("np_level_%1").arg(m_level); }

void Database::Transaction::commit()
{
    if (m_done)
        return;
    m_db.exec(m_level == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepointName());
    m_done = true;
    --m_db.m_transactionDepth;
}

Database::Transaction::~Transaction()
{
    if (m_done)
        return;
    --m_db.m_transactionDepth;
    if (!m_db.m_db)
        return;
    try {
        if (m_level == 0) {
            // The engine may already have rolled back by itself (disk full, I/O error).
            if (!sqlite3_get_autocommit(m_db.m_db))
                m_db.exec(QStringLiteral("ROLLBACK"));
        } else {
            m_db.exec(QStringLiteral("ROLLBACK TO ") + savepointName());
            m_db.exec(QStringLiteral("RELEASE ") + savepointName());
        }
    } catch (const DatabaseError&) {
    }
}
