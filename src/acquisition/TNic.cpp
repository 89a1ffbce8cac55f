#include "acquisition/TNic.h"

#include "base/SystemClock.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"
#include "storage/TrafficStatements.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

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

int32_t saturatedInt32(qint64 value)
{
    return static_cast<int32_t>(std::clamp<qint64>(value, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
}

// Byte counts are stored as whole numbers; a double holds them exactly up to 2^53.
double wholeBytes(long double value) { return static_cast<double>(std::nearbyintl(value)); }

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
    m_ifIndex = row.index;
}

void TNic::setDfuIdentity(const QString& name)
{
    Name = name;
    Mac.clear();
    Index = QStringLiteral("dfu");
    m_ifIndex = 0;
}

bool TNic::set_wert_send(long double raw)
{
    return sample({alte_send, wert_send, rate_send, gesamt_send, sampled_send}, raw, false);
}

bool TNic::set_wert_received(long double raw)
{
    // The dial-up entry limits its receive direction at every sample.
    return sample({alte_received, wert_received, rate_received, gesamt_received, sampled_received}, raw, true);
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
            // The first sample of this run: an adapter whose counter stood at 0
            // when it was sampled has real traffic in its next sample, not history.
            if (!d.sampled && maxspeed < rate) {
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
    d.sampled = true;
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

EntryLogState TNic::logState() const
{
    return {Name, Index, Mac, alte_send, alte_received, gesamt_send, gesamt_received,
            wert_send, wert_received, rate_send, rate_received};
}

void TNic::clearRates()
{
    rate_send = 0;
    rate_received = 0;
}

void TNic::clearTotals()
{
    gesamt_send = 0;
    gesamt_received = 0;
}

void TNic::set_alte_werte(long double send, long double received)
{
    alte_send = send;
    alte_received = received;
    sampled_send = true;
    sampled_received = true;
}

QDate TNic::today() const
{
    return (m_clock ? *m_clock : SystemClock::instance()).today();
}

bool TNic::save_traffic(double day)
{
    BookingFailure failure;
    if (save_traffic(day, failure))
        return true;
    LogException(failure.message, failure.className);
    return false;
}

bool TNic::save_traffic(double day, BookingFailure& failure)
{
    const QString prefix = QStringLiteral("Exception in Funktion 'TNic::save_traffic()' (Index %1) in Datei TNic| Genaue Meldung: ").arg(Index);
    try {
        if (!m_db)
            throw DatabaseError(QStringLiteral("no database connection"));
        const QDate date = day == 0 ? today() : dateOfDayNumber(day);
        if (!date.isValid())
            throw DatabaseError(QStringLiteral("%1 is not a date value").arg(day));
        // Find and add in one write transaction: nothing can slip in between,
        // and a failure leaves the stored row as it was.
        Database::Transaction transaction(*m_db);
        // A table deleted on the database tab comes back, as at start-up,
        // instead of failing every booking until the next start.
        TrafficStatements::createTrafficTableIfMissing(*m_db, Index);
        if (const auto row = TrafficStatements::findDay(*m_db, Index, date)) {
            const long double received = row->toDouble(QStringLiteral("received"));
            const long double send = row->toDouble(QStringLiteral("send"));
            TrafficStatements::updateDay(*m_db, Index, date, wholeBytes(received + gesamt_received),
                                         wholeBytes(send + gesamt_send));
        } else {
            TrafficStatements::insertDay(*m_db, Index, date, wholeBytes(gesamt_received), wholeBytes(gesamt_send));
        }
        transaction.commit();
        return true;
    } catch (const std::exception& e) {
        failure = {prefix + QString::fromUtf8(e.what()), exceptionClassName(e)};
    } catch (...) {
        failure = {QStringLiteral("Unspezifizierte Exception in Funktion 'TNic::save_traffic()' (Index %1) in Datei TNic").arg(Index),
                   QStringLiteral("Exception")};
    }
    return false;
}

bool TNic::load_settings()
{
    if (!m_db)
        return false;
    try {
        const DbRow row = TrafficStatements::readSettings(*m_db, Index);
        const QString anzeigen = row.text(QStringLiteral("anzeigen"));
        if (anzeigen.size() == 2 && QStringLiteral("01").contains(anzeigen[0])
            && QStringLiteral("01").contains(anzeigen[1])) {
            anzeigen_live = anzeigen[0] == QLatin1Char('1');
            anzeigen_graph = anzeigen[1] == QLatin1Char('1');
        }
        // Member by member: what was read before a failure stays set.
        maxspeed = saturatedInt32(row.toInt64(QStringLiteral("maxspeed")));
        links = saturatedInt32(row.toInt64(QStringLiteral("links")));
        oben = saturatedInt32(row.toInt64(QStringLiteral("oben")));
        hoehe = saturatedInt32(row.toInt64(QStringLiteral("höhe")));
        breite = saturatedInt32(row.toInt64(QStringLiteral("breite")));
        ontop = row.toInt64(QStringLiteral("ontop")) != 0;
        tranz = row.toInt64(QStringLiteral("tranz")) != 0;
        tranz_wert = saturatedInt32(row.toInt64(QStringLiteral("tranz_wert")));
        bericht = row.toInt64(QStringLiteral("bericht")) != 0;
        forecolor = static_cast<uint32_t>(row.toInt64(QStringLiteral("forecolor")));
        backcolor = static_cast<uint32_t>(row.toInt64(QStringLiteral("backcolor")));
        sendgraph = static_cast<uint32_t>(row.toInt64(QStringLiteral("sendgraph")));
        recvgraph = static_cast<uint32_t>(row.toInt64(QStringLiteral("recvgraph")));
        return true;
    } catch (...) {
        return false;
    }
}

bool TNic::save_settings()
{
    if (!m_db)
        return false;
    SettingsRow row;
    row.anzeigen = QString(anzeigen_live ? QLatin1Char('1') : QLatin1Char('0'))
        + (anzeigen_graph ? QLatin1Char('1') : QLatin1Char('0'));
    row.maxspeed = maxspeed;
    row.links = links;
    row.oben = oben;
    row.hoehe = hoehe;
    row.breite = breite;
    row.ontop = ontop ? 1 : 0;
    row.tranz = tranz ? 1 : 0;
    row.tranz_wert = tranz_wert;
    row.bericht = bericht ? 1 : 0;
    row.forecolor = forecolor;
    row.backcolor = backcolor;
    row.sendgraph = sendgraph;
    row.recvgraph = recvgraph;
    try {
        TrafficStatements::writeSettings(*m_db, Index, row);
        return true;
    } catch (...) {
        return false;
    }
}
