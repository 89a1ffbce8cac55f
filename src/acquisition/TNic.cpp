#include "acquisition/TNic.h"

#include <QStringList>

#include <cmath>

namespace {

// First-sample limit of the dial-up entry, by line speed; 0 means no limit.
long double dfuLimit(int32_t maxspeed)
{
    if (maxspeed <= 1)
        return 0;
    if (maxspeed <= 3800)
        return 18000;
    if (maxspeed <= 6400)
        return 23000;
    if (maxspeed <= 7300)
        return 30000;
    if (maxspeed <= 15000)
        return 75000;
    return maxspeed;
}

} // namespace

TNic::TNic(const SampleContext* context)
    : m_context(context)
{
}

QString TNic::adapterId(uint32_t ifIndex, bool sonderModus)
{
    QString id = QStringLiteral("%1").arg(ifIndex, 8, 16, QLatin1Char('0'));
    return sonderModus ? id.mid(4) : id;
}

QString TNic::macText(const QByteArray& physAddr)
{
    QStringList parts;
    for (int i = 0; i < 6; ++i) {
        const auto byte = i < physAddr.size() ? static_cast<unsigned char>(physAddr[i]) : 0u;
        parts << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return parts.join(':');
}

void TNic::setIdentity(const IfRow& row, bool sonderModus)
{
    Name = row.name;
    Mac = macText(row.physAddr);
    Index = adapterId(row.index, sonderModus);
}

void TNic::setDfuIdentity(const QString& name)
{
    Name = name;
    Mac.clear();
    Index = QStringLiteral("dfu");
}

bool TNic::set_wert_send(long double raw)
{
    return sample({alte_send, wert_send, rate_send, gesamt_send}, raw, false);
}

bool TNic::set_wert_received(long double raw)
{
    // The dial-up entry limits its receive direction at every sample.
    return sample({alte_received, wert_received, rate_received, gesamt_received}, raw, true);
}

bool TNic::sample(Direction d, long double raw, bool limitEverySample)
{
    d.wert = raw;
    const bool dfu = isDfu();
    const long double difference = d.wert - d.alte;
    long double s = 1;
    if (!dfu) {
        const unsigned seconds = static_cast<unsigned>(m_context->intervalMs) / 1000u;
        if (m_context->intervalMs < 0 || seconds == 0)
            return false; // no valid divisor: keep alte so the next sample counts it all
        s = seconds;
    }
    long double rate = std::nearbyintl(difference / s); // default mode rounds halves to even

    bool limited = false;
    if (m_context->bewareOfTrafficDouble) {
        if (!dfu) {
            if (d.alte == 0 && maxspeed < rate) {
                rate = maxspeed;
                limited = true;
            }
        } else if (d.alte == 0 || limitEverySample) {
            const long double limit = dfuLimit(maxspeed);
            if (limit > 0 && rate > limit) {
                rate = limit;
                limited = true;
            }
        }
    }

    // Totals are byte counts: the whole difference, even when the rate rounds to
    // 0 over a long interval, or the cut value over the interval.
    if (limited) {
        if (rate > 0)
            d.gesamt += rate * s;
    }
    else if (difference > 0)
        d.gesamt += difference;
    if (rate <= 0)
        rate = 0;
    d.rate = static_cast<double>(rate);
    d.alte = raw;
    return true;
}

void TNic::get_alte_werte(long double& send, long double& received) const
{
    send = alte_send;
    received = alte_received;
}

bool TNic::set_gesamt_send(long double value)
{
    gesamt_send = value;
    return true;
}

bool TNic::set_gesamt_received(long double value)
{
    gesamt_received = value;
    return true;
}

void TNic::set_alte_werte(long double send, long double received)
{
    alte_send = send;
    alte_received = received;
}
