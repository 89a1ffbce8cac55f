// The version resource text: the Translation entry names the string table
// whose texts make the window caption and the log's version lines.
#include "config/TVerInfo.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TVerInfo info;
    if (info.readResource(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        (void)info.windowCaption();
    return 0;
}
