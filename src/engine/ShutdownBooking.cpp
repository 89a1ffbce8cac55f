#include "engine/ShutdownBooking.h"

#include "engine/RestartCounters.h"
#include "acquisition/TNic.h"
#include "engine/CounterCache.h"
#include "engine/PendingBookings.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"

namespace {

void bookAlone(TNic* nic, std::vector<TNic*>& failed)
{
    if (nic->save_traffic(0))
        nic->clearTotals();
    else
        failed.push_back(nic);
}

} // namespace

std::vector<TNic*> bookTodayTogether(const std::vector<TNic*>& v)
{
    std::vector<TNic*> failed;
    Database* db = v.empty() ? nullptr : v.front()->database();
    std::vector<TNic*> shared;
    std::vector<TNic*> others;
    for (TNic* nic : v)
        (nic->database() == db ? shared : others).push_back(nic);
    std::vector<TNic*> booked;
    bool together = db && db->isOpen();
    if (together) {
        try {
            Database::Transaction all(*db);
            for (TNic* nic : shared) {
                if (!nic->save_traffic(0)) {
                    failed.push_back(nic);
                    // An error that ended the transaction took the bookings before it along.
                    if (!db->inTransaction())
                        throw DatabaseError(QStringLiteral("the transaction ended"));
                } else {
                    booked.push_back(nic);
                }
            }
            all.commit();
        } catch (const std::exception& e) {
            LogException(QStringLiteral("Exception in Funktion 'bookTodayTogether()' in Datei ShutdownBooking| Genaue Meldung: ")
                             + QString::fromUtf8(e.what()),
                         exceptionClassName(e));
            together = false;
        }
    }
    if (together) {
        for (TNic* nic : booked)
            nic->clearTotals();
    } else {
        // Nothing of the shared transaction is stored: every entry on its own.
        failed.clear();
        for (TNic* nic : shared)
            bookAlone(nic, failed);
    }
    for (TNic* nic : others)
        bookAlone(nic, failed);
    return failed;
}

ShutdownBookingResult bookAtShutdown(const std::vector<TNic*>& v, PendingBookings& pending,
                                     const QString& cachePath, const QDate& today, RestartCounters* counters)
{
    ShutdownBookingResult result;
    pending.retry();
    result.failed = bookTodayTogether(v);
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
