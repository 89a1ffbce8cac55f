#include "acquisition/DialupSampling.h"

#include "acquisition/DialupSource.h"
#include "acquisition/TNic.h"
#include "config/TSprache.h"

QString sampleDialup(DialupSource& source, TNic& entry, const TSprache& sprache, bool* connected)
{
    const DialupStatus status = source.query();
    if (connected)
        *connected = status.state == DialupStatus::State::Connected;
    switch (status.state) {
    case DialupStatus::State::EnumerationFailed:
        entry.set_wert_received(0);
        entry.set_wert_send(0);
        return sprache.error(QStringLiteral("Error18"));
    case DialupStatus::State::NoConnection:
        // Feeding 0 makes the next connection count from its own start.
        entry.set_wert_received(0);
        entry.set_wert_send(0);
        return sprache.error(QStringLiteral("Error17"));
    case DialupStatus::State::Connected:
        break;
    }
    entry.set_wert_received(static_cast<long double>(status.bytesReceived));
    entry.set_wert_send(static_cast<long double>(status.bytesSent));
    return sprache.error(QStringLiteral("Error16")) + status.entryName + QLatin1Char('@')
        + QString::number(status.bps);
}
