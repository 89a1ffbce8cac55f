#include "storage/PendingBookings.h"

#include "acquisition/TNic.h"
#include "storage/DayNumber.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

bool bookOwed(Database* db, const QString& index, const QDate& day, long double received, long double send)
{
    // A stand-in entry with the amounts as its totals.
    TNic carrier(nullptr);
    carrier.Index = index;
    carrier.setDatabase(db);
    carrier.set_gesamt_received(received);
    carrier.set_gesamt_send(send);
    return carrier.save_traffic(dayNumberOf(day));
}

bool PendingBookings::parse(const QByteArray& line, Line& out)
{
    const QList<QByteArray> parts = line.trimmed().split('\t');
    if (parts.size() != 4)
        return false;
    out.index = QString::fromUtf8(parts[0]);
    out.day = QDate::fromString(QString::fromLatin1(parts[1]), Qt::ISODate);
    bool okReceived = false;
    bool okSend = false;
    out.received = parts[2].toDouble(&okReceived);
    out.send = parts[3].toDouble(&okSend);
    return out.day.isValid() && okReceived && okSend && out.received >= 0 && out.send >= 0;
}

void PendingBookings::attachFile(const QString& path, const std::vector<TNic*>& v)
{
    m_path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        Line owed;
        if (!parse(line, owed))
            continue;
        const auto entry = std::find_if(v.begin(), v.end(), [&](const TNic* n) { return n->Index == owed.index; });
        if (entry == v.end()) {
            m_foreignLines.append(line.trimmed()); // an adapter absent this time; still owed
            continue;
        }
        add(*entry, owed.day, owed.received, owed.send);
    }
}

void PendingBookings::addAbsent(const QString& index, const QDate& day, long double received, long double send)
{
    m_foreignLines.append(index.toUtf8() + '\t' + day.toString(Qt::ISODate).toLatin1() + '\t'
                          + QByteArray::number(static_cast<double>(received), 'f', 0) + '\t'
                          + QByteArray::number(static_cast<double>(send), 'f', 0));
    save();
}

void PendingBookings::adopt(TNic* entry)
{
    QList<QByteArray> kept;
    std::vector<Line> taken;
    for (const QByteArray& line : std::as_const(m_foreignLines)) {
        Line owed;
        if (parse(line, owed) && owed.index == entry->Index)
            taken.push_back(owed);
        else
            kept.append(line);
    }
    if (taken.empty())
        return;
    m_foreignLines = kept;
    for (const Line& owed : taken)
        m_bookings.push_back({entry, owed.day, owed.received, owed.send});
    save();
}

void PendingBookings::save() const
{
    if (m_path.isEmpty())
        return;
    if (m_bookings.empty() && m_foreignLines.isEmpty()) {
        QFile::remove(m_path);
        return;
    }
    QByteArray out;
    for (const QByteArray& line : m_foreignLines)
        out += line + '\n';
    for (const Booking& b : m_bookings)
        out += b.entry->Index.toUtf8() + '\t' + b.day.toString(Qt::ISODate).toLatin1() + '\t'
            + QByteArray::number(static_cast<double>(b.received), 'f', 0) + '\t'
            + QByteArray::number(static_cast<double>(b.send), 'f', 0) + '\n';
    QSaveFile f(m_path);
    if (f.open(QIODevice::WriteOnly) && f.write(out) == out.size())
        f.commit();
}

void PendingBookings::add(TNic* entry, const QDate& day, long double received, long double send)
{
    for (Booking& b : m_bookings) {
        if (b.entry == entry && b.day == day) {
            b.received += received;
            b.send += send;
            save();
            return;
        }
    }
    m_bookings.push_back({entry, day, received, send});
    save();
}

bool PendingBookings::retry()
{
    std::vector<Booking> left;
    for (const Booking& b : m_bookings) {
        // Through the entry's own table and connection.
        if (!bookOwed(b.entry->database(), b.entry->Index, b.day, b.received, b.send))
            left.push_back(b);
    }
    const bool changed = left.size() != m_bookings.size();
    m_bookings = std::move(left);
    if (changed)
        save();
    return m_bookings.empty();
}

bool PendingBookings::owes(const TNic* entry, const QDate& day) const
{
    return std::any_of(m_bookings.begin(), m_bookings.end(),
                       [&](const Booking& b) { return b.entry == entry && b.day == day; });
}

bool PendingBookings::owes(const QString& index, const QDate& day) const
{
    if (std::any_of(m_bookings.begin(), m_bookings.end(),
                    [&](const Booking& b) { return b.entry->Index == index && b.day == day; }))
        return true;
    return std::any_of(m_foreignLines.begin(), m_foreignLines.end(), [&](const QByteArray& line) {
        Line owed;
        return parse(line, owed) && owed.index == index && owed.day == day;
    });
}
