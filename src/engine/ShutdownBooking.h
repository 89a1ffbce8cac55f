#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <vector>

class PendingBookings;
class RestartCounters;
class TNic;

// Books every entry's totals under today at the end of a run (and retries the
// owed earlier days, which otherwise stay owed). The cache file goes only once
// today is booked; when a booking failed, the cache is written instead with
// what is still owed today (booked entries at zero), so the next start books it.
struct ShutdownBookingResult
{
    std::vector<TNic*> failed;
    QByteArray cacheContent; // the cache left behind; empty when it was deleted
};

// Books every entry's totals under today and sets a booked entry's totals to zero; returns
// the entries not booked. One transaction for all (one sync to disk, not one per entry); when
// that transaction itself fails, each entry is booked on its own.
std::vector<TNic*> bookTodayTogether(const std::vector<TNic*>& v);

// With `counters`, the cache changes together with the counters file that goes with it.
ShutdownBookingResult bookAtShutdown(const std::vector<TNic*>& v, PendingBookings& pending,
                                     const QString& cachePath, const QDate& today,
                                     RestartCounters* counters = nullptr);
