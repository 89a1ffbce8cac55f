#include "storage/DayNumber.h"

#include <cmath>

namespace {

const QDate kDayZero(1899, 12, 30);

} // namespace

double dayNumberOf(const QDate& date)
{
    return static_cast<double>(kDayZero.daysTo(date));
}

QDate dateOfDayNumber(double dayNumber)
{
    // Years 1..9999 are what the date text can hold.
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
        return {};
    // The fraction is a time of day, also for days before the zero day.
    const QDate date = kDayZero.addDays(static_cast<qint64>(std::trunc(dayNumber)));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return date;
}

QString isoDate(const QDate& date) { return date.toString(Qt::ISODate); }
