// A language file as a user or an older version may leave it: every text the
// program takes from it, the unit names included.
#include "config/QuantityFormat.h"
#include "config/TSprache.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSprache sprache;
    sprache.loadText(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const ControlText& t : sprache.controlTexts())
        if (t.text.size() > 2047)
            std::abort(); // texts are cut like the profile reader cuts them
    for (int n = 0; n <= 5; ++n)
        (void)sprache.dialogFilter(n);
    (void)sprache.graphMenuTexts();
    (void)sprache.dfuName();
    if (sprache.units1000().size() != 9 || sprache.units1024().size() != 9)
        std::abort();
    for (const long double value : {0.0L, 999.0L, 1536.0L, 5.0e12L, 1.0e30L})
        for (const int base : {1000, 1024})
            (void)FormatQuantity(value, base, sprache);
    (void)FormatQuantityText(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(std::min<size_t>(size, 32))),
                             1024, sprache);
    return 0;
}
