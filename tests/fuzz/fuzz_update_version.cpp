// The version text the update server sends, compared with the installed one.
// The input is the server's text, a line break, and the installed text.
#include "update/UpdateVersion.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = text.indexOf(QLatin1Char('\n'));
    const QString server = split < 0 ? text : text.left(split);
    const QString installed = split < 0 ? QStringLiteral("1.0.0") : text.mid(split + 1);
    const VersionOrder order = compareVersions(server, installed);
    (void)versionText(server);
    // Never newer both ways, and never newer than itself.
    if (order == VersionOrder::Newer && compareVersions(installed, server) == VersionOrder::Newer)
        std::abort();
    if (compareVersions(server, server) == VersionOrder::Newer)
        std::abort();
    return 0;
}
