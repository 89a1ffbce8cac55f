// The proxy password as the settings file holds it: the stored value is decoded
// (marked hex or bytes as they stand), then unscrambled.
#include "config/IniDocument.h"
#include "config/Verschleierung.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray password = Entschleiern(decodeIniBytes(stored));
    (void)QString::fromUtf8(password);

    // Saving any password and reading it back gives the same bytes, through a real settings line.
    const QByteArray value = encodeIniBytes(Verschleiern(stored));
    IniDocument doc = IniDocument::parse("[Allgemein]\r\nProxyServer=proxy\r\n");
    doc.setValue("Allgemein", "ProxyPassword", value);
    const IniDocument reread = IniDocument::parse(doc.serialize());
    const auto back = reread.value("Allgemein", "ProxyPassword");
    if (!back || Entschleiern(decodeIniBytes(*back)) != stored)
        std::abort();
    return 0;
}
