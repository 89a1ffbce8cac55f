#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <vector>

class Database;
class TNic;

// Adds amounts to the row of `day` in the traffic table of the adapter `index`,
// as its entry books them; false, logged, on failure.
bool bookOwed(Database* db, const QString& index, const QDate& day, long double received, long double send);

// Day totals whose booking failed. They are kept, not dropped, and booked again
// at the next chance (each minute's day check and the shutdown).
class PendingBookings
{
public:
    // Keeps the owed amounts in `path` as well, rewritten at every change, so a
    // crash does not lose them. Reads what an earlier run left there, for the
    // entries of `v` (matched by Index).
    void attachFile(const QString& path, const std::vector<TNic*>& v);

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
    // fail again stay. Returns true when nothing is left.
    bool retry();
    bool isEmpty() const { return m_bookings.empty(); }
    const std::vector<Booking>& bookings() const { return m_bookings; }
    // Whether an amount of `entry` for `day` is owed.
    bool owes(const TNic* entry, const QDate& day) const;
    // The same by Index, for adapters with or without an entry in this run.
    bool owes(const QString& index, const QDate& day) const;

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
    void save() const;

    std::vector<Booking> m_bookings;
    QString m_path;
    // Lines of the file for entries this run does not have: kept as they are.
    QList<QByteArray> m_foreignLines;
};
