// The pending-bookings file as a kill, a damaged disk or a hand edit leaves it.
#include "acquisition/TNic.h"
#include "engine/PendingBookings.h"
#include "FuzzCheck.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
    for (const char* index : {"00000001", "00000002", "dfu"}) {
        owned.push_back(std::make_unique<TNic>(&context));
        owned.back()->Index = QString::fromLatin1(index);
        v.push_back(owned.back().get());
    }
    PendingBookings pending;
    pending.load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), v);
    // An owed amount is a byte count: it must never blank or shrink a stored day.
    for (const PendingBookings::Booking& b : pending.bookings())
        check(b.day.isValid() && std::isfinite(b.received) && b.received >= 0 && b.received <= DBL_MAX
              && std::isfinite(b.send) && b.send >= 0 && b.send <= DBL_MAX);

    // What is written reads back as the same file.
    const QByteArray written = pending.content();
    PendingBookings again;
    again.load(written, v);
    check(again.content() == written);
    return 0;
}
