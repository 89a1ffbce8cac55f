#pragma once

#include <QDate>
#include <QString>

// The rhythm of the automatic monthly report: a check every hour; on the
// report day a report and then a pause of 48 hours, so that the day is not
// reported twice.
namespace AutoBerichtRhythm {

constexpr int kHourMs = 3600000;
constexpr int kPauseMs = 172800000;

struct Tick
{
    bool startReport = false;
    int interval = kHourMs; // the timer's interval from this tick on
};

// One tick of the timer running at `interval`: the day of `today` without a
// leading zero is compared as text with `dayOfAutoBericht`, so "05", "0" and
// days the month lacks never match.
Tick tick(int interval, const QDate& today, const QString& dayOfAutoBericht);

} // namespace AutoBerichtRhythm
