#pragma once

#include "storage/DbRow.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

struct sqlite3;

// One SQLite connection to the traffic database. Each thread uses a connection
// of its own: the user-interface thread keeps one that opens on demand, every
// worker run opens its own. The file is never created by opening it: a missing
// file is first laid down from the shipped empty database (if allowed), and a
// file that is not an SQLite database is refused and left as it is.
class Database
{
public:
    struct Options
    {
        bool readOnly = false;
        bool layDownShippedIfMissing = true;
        int busyTimeoutMs = 5000;
    };

    // For connections that only read: never written to, never laid down.
    static Options readOnlyOptions();

    explicit Database(QString filePath);
    Database(QString filePath, Options options);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static QString fileName(); // "Datenbank.mdb"
    static QString programDatabasePath();

    const QString& filePath() const { return m_path; }

    // Throws DatabaseError; does nothing when already open.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Whether a transaction is open: the engine ends one by itself on some errors.
    bool inTransaction() const;
    void setBusyTimeout(int ms);
    int busyTimeout() const { return m_options.busyTimeoutMs; }

    // One statement each, values bound to its "?" placeholders; open on demand.
    // Throw DatabaseError on any failure. exec returns the number of rows changed.
    qint64 exec(const QString& sql, const QVariantList& params = {});
    QList<DbRow> query(const QString& sql, const QVariantList& params = {});

    // Tables of the file without the engine's own ("sqlite_..."), by name.
    QStringList userTables();

    // Name as an SQL identifier: in double quotes, inner double quotes doubled.
    static QString quoteIdentifier(const QString& name);

    // A write transaction; nested ones become savepoints, so an inner failure
    // rolls back only its own part. Rolls back unless committed.
    class Transaction
    {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

    private:
        QString savepointName() const;

        Database& m_db;
        int m_level;
        bool m_done = false;
    };

    // Sees every statement text before it runs (diagnostics and tests).
    void setStatementObserver(std::function<void(const QString&)> observer);

    // Asked from the connection's own thread while a statement runs or waits
    // for a lock; true ends the statement with a DatabaseError. Lets a worker
    // be stopped at once.
    void setAbortCheck(std::function<bool()> check);

private:
    [[noreturn]] void fail(const QString& what) const;
    void checkFileBeforeOpen();
    void run(const QString& sql, const QVariantList& params, QList<DbRow>* rows);
    void installWaitHandlers();
    static int onProgress(void* self);
    static int onBusy(void* self, int count);

    QString m_path;
    Options m_options;
    sqlite3* m_db = nullptr;
    int m_transactionDepth = 0;
    std::function<void(const QString&)> m_observer;
    std::function<bool()> m_abortCheck;
};
