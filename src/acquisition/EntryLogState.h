#pragma once

#include <QString>

// What the failure log reports of one adapter entry: its identity and counters at the moment.
struct EntryLogState
{
    QString name;
    QString index;
    QString mac;
    long double alteSend = 0;
    long double alteReceived = 0;
    long double gesamtSend = 0;
    long double gesamtReceived = 0;
    long double wertSend = 0;
    long double wertReceived = 0;
    double rateSend = 0;
    double rateReceived = 0;
};
