#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class PgConnection;

// Every statement on the central table netzpegel_days, where each machine of a fleet keeps
// a copy of its booked days: one row per host, adapter and day with absolute values, so a
// day sent twice changes nothing. Each function throws PgError on failure.
namespace CentralStatements {

QString tableName(); // "netzpegel_days"

// The most one day of one adapter can hold: 2^53 bytes (8 PB), beyond any line and exact
// in every JSON reader. A row above it, or below 0, is no day of traffic.
constexpr qint64 kMaxDayBytes = 9007199254740992LL;
bool isDayAmount(qint64 bytes);

// Makes the table and its index by day when the table is missing (a role that may only
// insert, update and select never needs more once it exists); an existing table must have
// the columns and the key of ours, else PgError::Kind::TableShape names what differs.
void prepareTable(PgConnection& pg);

struct DayRow
{
    QString adapter;     // the adapter's traffic table on its machine
    QString adapterName;
    QString mac;
    QDate day;
    qint64 received = 0;
    qint64 sent = 0;
};

// Writes `rows` of one host in one statement (each adapter and day at most once); rows
// that already hold these values are left as they are, and an empty adapter name or MAC
// address (an adapter not present now) keeps the one stored. Returns the rows inserted or
// changed.
qint64 upsertDays(PgConnection& pg, const QString& hostId, const QString& hostName, const std::vector<DayRow>& rows);

struct AdapterTotals
{
    QString hostId;
    QString hostName;
    QString adapter;
    QString adapterName;
    qint64 received = 0;
    qint64 sent = 0;
    qint64 days = 0;
    qint64 total() const { return received + sent; }
};

// Each host's and adapter's sums over the days from `from` to `to` (a limit left out is
// none), largest total first. Rows with negative or huge values are not summed: PgError
// BadValue names their hosts and adapters and how many days they hold.
std::vector<AdapterTotals> fleetTotals(PgConnection& pg, const std::optional<QDate>& from,
                                       const std::optional<QDate>& to);

struct Host
{
    QString id;
    QString name; // as its latest day names it
};

// The hosts whose id is `wanted`, or else whose name is (several machines may share one).
std::vector<Host> findHosts(PgConnection& pg, const QString& wanted);

// Every day of one host by adapter and day; PgError BadValue for a row no day can hold.
std::vector<DayRow> hostDays(PgConnection& pg, const QString& hostId);

} // namespace CentralStatements
