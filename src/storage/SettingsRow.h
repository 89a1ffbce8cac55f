#pragma once

#include <QString>

// The one row of an adapter's settings table, column by column; the member
// defaults are those of a new adapter.
struct SettingsRow
{
    QString anzeigen = QStringLiteral("11");
    qint64 maxspeed = 0;
    qint64 links = 0;
    qint64 oben = 0;
    qint64 hoehe = 100;
    qint64 breite = 100;
    qint64 ontop = 0;
    qint64 tranz = 0;
    qint64 tranz_wert = 0;
    qint64 bericht = 1;
    qint64 forecolor = 16150899;
    qint64 backcolor = 16744825;
    qint64 sendgraph = 255;
    qint64 recvgraph = 16711680;
};
