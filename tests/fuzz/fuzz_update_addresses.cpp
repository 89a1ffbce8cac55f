// The address list the update server sends: where the download is, and the
// name it is stored under in the program folder.
#include "update/UpdateAddresses.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const UpdateAddresses list = parseAddressList(text);
    (void)splitCommaText(text);
    // Whatever the server says, the download stays a file of the program folder.
    const QString name = downloadFileName(list.download);
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < ' ')
            std::abort();
    if (!name.startsWith(QLatin1String("netzpegel_patch")))
        std::abort();
    return 0;
}
