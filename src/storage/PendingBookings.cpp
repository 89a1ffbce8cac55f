#include "storage/PendingBookings.h"

#include "acquisition/TNic.h"
#include "storage/DayNumber.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

void PendingBookings::attachFile(const QString& path, const std::vector<TNic*>& v)
{
    m_path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() != 4)
            continue;
        const QString index = QString::fromUtf8(parts[0]);
        const QDate day = QDate::fromString(QString::fromLatin1(parts[1]), Qt::ISODate);
        bool okReceived = false;
        bool okSend = false;
        const double received = parts[2].toDouble(&okReceived);
        const double send = parts[3].toDouble(&okSend);
        if (!day.isValid() || !okReceived || !okSend || !(received >= 0) || !(send >= 0))
            continue;
        const auto entry = std::find_if(v.begin(), v.end(), [&](const TNic* n) { return n->Index == index; });
        if (entry == v.end()) {
            m_foreignLines.append(line.trimmed()); // an adapter absent this time; still owed
            continue;
        }
        add(*entry, day, received, send);
    }
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
        // A stand-in with the owed amounts books through the entry's own table and connection.
        TNic carrier(nullptr);
        carrier.Index = b.entry->Index;
        carrier.Name = b.entry->Name;
        carrier.setDatabase(b.entry->database());
        carrier.set_gesamt_received(b.received);
        carrier.set_gesamt_send(b.send);
        if (!carrier.save_traffic(dayNumberOf(b.day)))
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
