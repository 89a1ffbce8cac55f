#include "engine/ShutdownBooking.h"

#include "engine/RestartCounters.h"
#include "acquisition/TNic.h"
#include "engine/CounterCache.h"
#include "engine/PendingBookings.h"

ShutdownBookingResult bookAtShutdown(const std::vector<TNic*>& v, PendingBookings& pending,
                                     const QString& cachePath, const QDate& today, RestartCounters* counters)
{
    ShutdownBookingResult result;
    pending.retry();
    for (TNic* nic : v) {
        if (nic->save_traffic(0)) {
            nic->set_gesamt_received(0);
            nic->set_gesamt_send(0);
        } else {
            result.failed.push_back(nic);
        }
    }
    // Earlier days still owed stay in the pending file, to be booked under their own day.
    bool owed = false;
    for (const TNic* nic : v)
        owed = owed || nic->get_gesamt_received() != 0 || nic->get_gesamt_send() != 0;
    const QByteArray content = owed ? CounterCache::content(v, today) : QByteArray();
    const bool replaced = counters ? counters->replaceCache(v, cachePath, content)
                                   : CounterCache::replace(cachePath, content);
    if (replaced)
        result.cacheContent = content;
    return result;
}
