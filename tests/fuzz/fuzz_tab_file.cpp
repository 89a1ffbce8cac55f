// A table exchange file to import, as another program, an old version or a
// damaged disk hands it over.
#include "storage/TabFile.h"
#include "FuzzCheck.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TabFileContent content =
        parseTabFile(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!content.ok) {
        check(content.days.isEmpty());
        return 0;
    }
    for (const TabDay& d : content.days)
        check(d.day.isValid() && std::isfinite(d.received) && d.received >= 0 && std::isfinite(d.send) && d.send >= 0);
    // What an export writes of these days imports as the same days.
    const TabFileContent again = parseTabFile(formatTabFile(content.days));
    check(again.ok && again.skipped.isEmpty() && again.days == content.days);
    return 0;
}
