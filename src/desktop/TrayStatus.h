#pragma once

#include <QString>

#include <vector>

class TNic;
class TSprache;

// What the notification-area icon shows: the summed rates and today's totals
// of the entries that are counted (shown in the grid or as a graph).
struct TrayTraffic
{
    long double received = 0;
    long double sent = 0;
    long double rateReceived = 0;
    long double rateSent = 0;
    long double maxspeed = 0; // summed line speeds, bytes per second; 0 when none is known
};

TrayTraffic trayTraffic(const std::vector<TNic*>& entries);

// Product and version on the first line, today's totals on the second.
QString trayToolTip(const QString& productName, const QString& version, const TrayTraffic& traffic, int base,
                    const TSprache& sprache);

// Height of a bar, 0 to 1, on a logarithmic scale up to `scale` bytes per
// second, so a few kilobytes show as well as a full line.
double trayBarFraction(long double rate, long double scale);

// The bars' full scale: the summed line speed, or the highest rate seen when
// that is higher or unknown.
class TrayBarScale
{
public:
    long double update(const TrayTraffic& traffic);

private:
    long double m_peak = 0;
};
