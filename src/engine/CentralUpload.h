#pragma once

#include "base/MachineIdentity.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Database;
class PgConnection;

// An adapter as the central table names it.
struct CentralAdapter
{
    QString index; // its traffic table
    QString name;
    QString mac;
};

struct RunningTotals
{
    long double received = 0;
    long double sent = 0;
};

// What one upload is to send.
struct UploadRequest
{
    MachineIdentity machine;
    QString target;                        // the central database the marks are kept for
    std::vector<CentralAdapter> adapters;  // names and addresses known now; other tables go without
    QDate today;                           // the day the running totals belong to
    QHash<QString, RunningTotals> running; // by table, added to its row of `today`
    bool includeToday = false;             // send today's row as well
    // The last day whose rows no longer change: the marks go no further, so later days are
    // sent again (today, a day whose booking is still owed, a cache not booked yet).
    QDate completeThrough;
    bool everyDay = false; // every stored day, whatever the marks say
};

struct UploadResult
{
    qint64 rowsSent = 0;    // day rows that went out
    qint64 rowsChanged = 0; // of them, rows the central table did not hold so yet
    QStringList skipped;    // days no central row can hold, tables that cannot be read
};

// Sends the owed days of every local traffic table to the central table: each day's
// absolute values, in batches of one statement each, the marks moved on after every batch.
// An upload broken off is taken up where it stopped; a day sent twice changes nothing.
class CentralUpload
{
public:
    static constexpr int kBatchRows = 5000;

    CentralUpload(Database& local, PgConnection& central);

    // Called after each batch with the rows sent so far and the rows to send.
    void setProgress(std::function<void(qint64 done, qint64 total)> progress) { m_progress = std::move(progress); }

    // Connects only when there is something to send. Throws PgError (what went out before
    // stays marked) or DatabaseError.
    UploadResult run(const UploadRequest& request);

    // The local traffic tables: all but "db", the settings tables and the marks.
    static QStringList trafficTables(Database& local);
    // Key of the marks for a central database and machine; a hash, so that a password
    // written into the connection string never lands in the local file.
    static QString targetKey(const QString& connectionString, const QString& machineId);

private:
    Database& m_local;
    PgConnection& m_central;
    std::function<void(qint64, qint64)> m_progress;
};
