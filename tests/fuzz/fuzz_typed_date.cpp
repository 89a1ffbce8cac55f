// A date as the user types it into a date field of the statistics page. The
// first byte picks the locale's short date pattern; the rest is the text.
#include "reports/TypedDate.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const patterns[] = {"dd.MM.yyyy", "M/d/yyyy", "yyyy-MM-dd", "d/M/yy"};
    const QString pattern = QString::fromLatin1(patterns[data[0] % 4]);
    const QDate today(2026, 12, 8);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const std::optional<QDate> day = parseTypedDate(text, pattern, today);
    if (!day)
        return 0;
    if (!day->isValid())
        std::abort();
    // A date shown in the pattern reads back as the same date.
    if (pattern.contains(QLatin1String("yyyy")) && day->year() >= 1000 && day->year() <= 9999
        && parseTypedDate(day->toString(pattern), pattern, today) != day)
        std::abort();
    return 0;
}
