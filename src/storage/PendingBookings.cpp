#include "storage/PendingBookings.h"

#include "acquisition/TNic.h"
#include "storage/DayNumber.h"

#include <algorithm>

void PendingBookings::add(TNic* entry, const QDate& day, long double received, long double send)
{
    for (Booking& b : m_bookings) {
        if (b.entry == entry && b.day == day) {
            b.received += received;
            b.send += send;
            return;
        }
    }
    m_bookings.push_back({entry, day, received, send});
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
    m_bookings = std::move(left);
    return m_bookings.empty();
}

long double PendingBookings::pendingReceived(const TNic* entry) const
{
    long double sum = 0;
    for (const Booking& b : m_bookings)
        if (b.entry == entry)
            sum += b.received;
    return sum;
}

long double PendingBookings::pendingSend(const TNic* entry) const
{
    long double sum = 0;
    for (const Booking& b : m_bookings)
        if (b.entry == entry)
            sum += b.send;
    return sum;
}

void PendingBookings::forget(const TNic* entry)
{
    m_bookings.erase(std::remove_if(m_bookings.begin(), m_bookings.end(),
                                    [entry](const Booking& b) { return b.entry == entry; }),
                     m_bookings.end());
}
