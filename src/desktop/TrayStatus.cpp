#include "desktop/TrayStatus.h"

#include "acquisition/TNic.h"
#include "config/QuantityFormat.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this the bars would jump at every stray packet.
constexpr long double kMinimumScale = 1024;

} // namespace

TrayTraffic trayTraffic(const std::vector<TNic*>& entries)
{
    TrayTraffic t;
    for (const TNic* nic : entries) {
        if (!nic->anzeigen_live && !nic->anzeigen_graph)
            continue;
        t.received += nic->get_gesamt_received();
        t.sent += nic->get_gesamt_send();
        t.rateReceived += nic->get_rate_received();
        t.rateSent += nic->get_rate_send();
        t.maxspeed += std::max<int32_t>(0, nic->maxspeed);
    }
    return t;
}

QString trayToolTip(const QString& productName, const QString& version, const TrayTraffic& traffic, int base,
                    const TSprache& sprache)
{
    return productName + QLatin1Char(' ') + version + QStringLiteral("\nUL: ")
        + FormatQuantity(traffic.sent, base, sprache) + QStringLiteral(", DL: ")
        + FormatQuantity(traffic.received, base, sprache);
}

double trayBarFraction(long double rate, long double scale)
{
    if (!(rate > 0) || !(scale > 0))
        return 0;
    const double f = static_cast<double>(std::log1p(rate) / std::log1p(scale));
    return std::clamp(f, 0.0, 1.0);
}

long double TrayBarScale::update(const TrayTraffic& traffic)
{
    m_peak = std::max({m_peak, traffic.rateReceived, traffic.rateSent});
    return std::max({traffic.maxspeed, m_peak, kMinimumScale});
}
