// The counter cache file as a crash, a damaged disk or another locale leaves it.
// The first byte chooses the number of entries and the locale; the rest is the file.
#include "acquisition/TNic.h"
#include "engine/CounterCache.h"
#include "engine/PendingBookings.h"
#include "FuzzCheck.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

const QDate kToday(2026, 12, 8);

struct Entries
{
    explicit Entries(size_t n)
    {
        for (size_t k = 0; k < n; ++k) {
            owned.push_back(std::make_unique<TNic>(&context));
            owned.back()->Index = QStringLiteral("%1").arg(k + 1, 8, 16, QLatin1Char('0'));
            v.push_back(owned.back().get());
        }
    }
    SampleContext context;
    std::vector<std::unique_ptr<TNic>> owned;
    std::vector<TNic*> v;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QLocale::setDefault(data[0] & 0x80 ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c());
    // No database: a file of an earlier day is owed, not booked.
    Entries entries(data[0] % 5);
    PendingBookings pending;
    QDate day;
    const QByteArray text(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    if (CounterCache::restore(text, entries.v, kToday, pending, &day) != CounterCache::Restored)
        return 0;
    for (const TNic* nic : entries.v)
        check(std::isfinite(nic->get_gesamt_send()) && nic->get_gesamt_send() >= 0
              && std::isfinite(nic->get_gesamt_received()) && nic->get_gesamt_received() >= 0);
    for (const PendingBookings::Booking& b : pending.bookings())
        check(b.day == day && std::isfinite(b.received) && b.received >= 0 && std::isfinite(b.send) && b.send >= 0);
    if (day != kToday)
        return 0;

    // What is written reads back as the same file.
    const QByteArray written = CounterCache::content(entries.v, kToday);
    Entries again(entries.v.size());
    check(CounterCache::restore(written, again.v, kToday, pending) == CounterCache::Restored);
    check(CounterCache::content(again.v, kToday) == written);
    return 0;
}
