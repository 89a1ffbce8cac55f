#include "storage/ShutdownBooking.h"

#include "acquisition/TNic.h"
#include "storage/CounterCache.h"
#include "storage/PendingBookings.h"

#include <QFile>
#include <QFileInfo>

ShutdownBookingResult bookAtShutdown(const std::vector<TNic*>& v, PendingBookings& pending,
                                     const QString& cachePath, const QDate& today)
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
    if (result.failed.empty()) {
        bool owed = false;
        for (const TNic* nic : v)
            owed = owed || nic->get_gesamt_received() != 0 || nic->get_gesamt_send() != 0;
        if (!owed) {
            if (!cachePath.isEmpty() && !QFileInfo(cachePath).isDir())
                QFile::remove(cachePath);
            return result;
        }
    }
    if (!cachePath.isEmpty() && !QFileInfo(cachePath).isDir())
        CounterCache::write(cachePath, v, today, &result.cacheContent);
    return result;
}
