#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <vector>

class Database;
class TNic;

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
    // Books every pending amount through its entry's connection; those that
    // fail again stay. Returns true when nothing is left.
    bool retry();
    bool isEmpty() const { return m_bookings.empty(); }
    const std::vector<Booking>& bookings() const { return m_bookings; }
    // Whether an amount of `entry` for `day` is owed.
    bool owes(const TNic* entry, const QDate& day) const;

private:
    void save() const;

    std::vector<Booking> m_bookings;
    QString m_path;
    // Lines of the file for entries this run does not have: kept as they are.
    QList<QByteArray> m_foreignLines;
};
