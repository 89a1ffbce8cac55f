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
        // Earlier days still owed go with today's totals rather than be lost.
        nic->set_gesamt_received(nic->get_gesamt_received() + pending.pendingReceived(nic));
        nic->set_gesamt_send(nic->get_gesamt_send() + pending.pendingSend(nic));
        pending.forget(nic);
    }
    if (result.failed.empty() && pending.isEmpty()) {
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
