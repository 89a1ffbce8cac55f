#pragma once

#include "storage/DbRow.h"
#include "storage/PgError.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QVariantList>

#include <functional>

struct pg_conn;

// One connection to a PostgreSQL server through libpq, the counterpart of Database for the
// central database. Each thread uses a connection of its own. Values are always bound as
// parameters, never pasted into statements. Nothing ever waits without a bound: connecting
// takes at most the connect_timeout of the connection string (or the default below), a
// statement at most statementTimeoutMs, and an abort check ends either at once.
class PgConnection
{
public:
    struct Options
    {
        int defaultConnectTimeoutSeconds = 10; // when the connection string names none
        int statementTimeoutMs = 120000;
    };

    explicit PgConnection(QString connectionString);
    PgConnection(QString connectionString, Options options);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // False, with libpq's reason in `error`, when `text` is no connection string or URI.
    static bool isConnectionString(const QString& text, QString* error = nullptr);

    // Throws PgError; does nothing when already open.
    void open();
    void close();
    bool isOpen() const { return m_conn != nullptr; }

    // One statement each, values bound to $1, $2, ... (as text; the statement casts where
    // the type is not clear). Open on demand; a broken connection is closed, so the next call
    // connects again. Throw PgError. exec returns the number of rows changed.
    qint64 exec(const QString& sql, const QVariantList& params = {});
    // Integer columns come as qint64, NULL as a null QVariant, everything else as text.
    QList<DbRow> query(const QString& sql, const QVariantList& params = {});

    // Name as an SQL identifier: in double quotes, inner double quotes doubled.
    static QString quoteIdentifier(const QString& name);
    // A text[] literal of `items`, every element quoted, for one array parameter.
    static QString textArray(const QStringList& items);

    // Where the connection goes, for telling one central database from another:
    // "host:port/dbname" as libpq resolved them; empty while closed.
    QString target() const;

    // Asked while connecting or waiting for a result; true ends it with PgError::Aborted.
    void setAbortCheck(std::function<bool()> check) { m_abortCheck = std::move(check); }

private:
    struct Result;
    Result run(const QString& sql, const QVariantList& params);
    // Waits for `events` (poll flags) on the socket, in short slices so that an abort is
    // seen; throws on the deadline or an abort. True when it can be read.
    bool waitSocket(short events, const QDeadlineTimer& deadline);
    // Throws the connection's failure, sorted by kind; a broken connection is closed.
    [[noreturn]] void failFromConnection(bool connecting);
    bool aborted() const { return m_abortCheck && m_abortCheck(); }

    QString m_connectionString;
    Options m_options;
    pg_conn* m_conn = nullptr;
    std::function<bool()> m_abortCheck;
};
