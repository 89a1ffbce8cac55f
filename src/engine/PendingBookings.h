#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>
#include <vector>

class Database;
class TNic;
struct BookingFailure;

// Adds amounts to the row of `day` in the traffic table of the adapter `index`
// (named `name` in messages), as its entry books them. False on failure, with
// the cause in `failure`, or logged when no `failure` is given.
bool bookOwed(Database* db, const QString& index, const QString& name, const QDate& day, long double received,
              long double send, BookingFailure* failure = nullptr);

// Day totals whose booking failed. They are kept, not dropped, and booked again
// at the next chance (each minute's day check and the shutdown).
class PendingBookings
{
public:
    // How long a retry on the user-interface thread waits for a locked database:
    // a stuck booking must not freeze the window every minute.
    static constexpr int kUiThreadRetryWaitMs = 100;

    // Keeps the owed amounts in `path` as well, rewritten at every change, so a
    // crash does not lose them. Reads what an earlier run left there, for the
    // entries of `v` (matched by Index): the file is read once and written at
    // most once, however long it is.
    void attachFile(const QString& path, const std::vector<TNic*>& v);

    // Takes the owed amounts of a pending file's text, line by line: "Index TAB
    // day TAB received TAB send". Damaged lines are dropped, lines of entries
    // not in `v` are kept as they are. Writes nothing.
    void load(const QByteArray& content, const std::vector<TNic*>& v);
    // The file's text for what is owed now.
    QByteArray content() const;

    struct Booking
    {
        TNic* entry;
        QDate day;
        long double received;
        long double send;
    };

    void add(TNic* entry, const QDate& day, long double received, long double send);
    // An amount owed by an adapter this run has no entry for (its interface is
    // gone): kept in the file until a run that has it books it.
    void addAbsent(const QString& index, const QDate& day, long double received, long double send);
    // An entry that joined the run (an interface that appeared) takes over what
    // is owed under its Index.
    void adopt(TNic* entry);
    // Books every pending amount through its entry's connection; those that
    // fail again stay. A lock on the database is waited out for `busyWaitMs`
    // at most, or for the connection's whole busy timeout when not given.
    // Returns true when nothing is left.
    bool retry(std::optional<int> busyWaitMs = std::nullopt);
    bool isEmpty() const { return m_bookings.empty(); }
    const std::vector<Booking>& bookings() const { return m_bookings; }
    // Whether an amount of `entry` for `day` is owed.
    bool owes(const TNic* entry, const QDate& day) const;
    // The same by Index, for adapters with or without an entry in this run.
    bool owes(const QString& index, const QDate& day) const;

    // Logs a failed booking of `entry` for `day`, unless the same failure was
    // logged today already: a stuck booking writes one block a day, not one a minute.
    void logFailure(const TNic& entry, const QDate& day, const BookingFailure& failure);

    // Whether an amount can be owed and booked: a finite byte count.
    static bool isByteCount(long double amount);

private:
    struct Line
    {
        QString index;
        QDate day;
        double received = 0;
        double send = 0;
    };
    // One line of the file; false for a line that is not one.
    static bool parse(const QByteArray& line, Line& out);
    Booking* find(const TNic* entry, const QDate& day);
    void merge(TNic* entry, const QDate& day, long double received, long double send);
    void save() const;

    std::vector<Booking> m_bookings;
    QString m_path;
    // Lines of the file for entries this run does not have: kept as they are.
    QList<QByteArray> m_foreignLines;
    // Where the booking of an entry and day (as Julian day) is in m_bookings.
    QHash<QPair<const TNic*, qint64>, size_t> m_positions;
    // Day each failure (entry, booked day, cause) was last logged on.
    QHash<QString, QDate> m_loggedOn;
};
