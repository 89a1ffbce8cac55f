#include "update/ProxyEingabe.h"

#include "config/TSprache.h"

#include <QStringList>

ProxyInput askProxySettings(const TSprache& sprache, const InputBox& inputBox)
{
    // All texts first: the language object may be gone once a box has run
    // the event loop (the program was closed meanwhile).
    QStringList t;
    for (int n = 1; n <= 10; ++n)
        t << sprache.text(QStringLiteral("Proxy"), QStringLiteral("Proxy%1").arg(n));
    ProxySettings proxy;
    proxy.server = inputBox(t[0], t[1], QString(), false);
    const std::optional<int> port = parseProxyPort(inputBox(t[2], t[3], QStringLiteral("0"), false));
    if (!port)
        return {std::nullopt, t[9]};
    proxy.port = *port;
    proxy.authenticate = inputBox(t[4], t[5], QString(), false);
    proxy.password = inputBox(t[6], t[7], QString(), true);
    return {proxy, QString()};
}

std::optional<int> parseProxyPort(QStringView text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok, 10);
    if (!ok || port < 0 || port > 65535)
        return std::nullopt;
    return port;
}
