#include "engine/DayRollover.h"

#include "acquisition/TNic.h"
#include "storage/DayNumber.h"
#include "engine/PendingBookings.h"

std::vector<TNic*> rollOverDay(QDate& tagesdatum, const QDate& today, const std::vector<TNic*>& v,
                               PendingBookings& pending)
{
    std::vector<TNic*> failed;
    if (!pending.isEmpty())
        pending.retry(PendingBookings::kUiThreadRetryWaitMs);
    if (tagesdatum == today)
        return failed;
    for (TNic* nic : v) {
        BookingFailure failure;
        if (!nic->save_traffic(dayNumberOf(tagesdatum), failure)) {
            pending.add(nic, tagesdatum, nic->get_gesamt_received(), nic->get_gesamt_send());
            pending.logFailure(*nic, tagesdatum, failure);
            failed.push_back(nic);
        }
        nic->clearTotals();
    }
    tagesdatum = today;
    return failed;
}
