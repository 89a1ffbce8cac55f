#pragma once

#include <QDate>
#include <QString>

// Date values as days since 30 December 1899, the fraction being the time of
// day. Only the whole day matters for bookings.
double dayNumberOf(const QDate& date);
// The calendar day of a date value; invalid for NaN, infinities and values
// outside the calendar.
QDate dateOfDayNumber(double dayNumber);
// How Datum is stored: "YYYY-MM-DD".
QString isoDate(const QDate& date);
