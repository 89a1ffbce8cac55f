#pragma once

#include <QDate>
#include <QVariant>

#include <optional>

// A traffic value as the database returns it: a number, or a text that the C
// form or the user's number format reads as one. Nothing for anything else
// (an empty field, "abc", infinities).
std::optional<long double> storedNumber(const QVariant& value);

// The calendar day of a stored Datum ("YYYY-MM-DD", a time of day after it is
// dropped); invalid when the field holds no such date.
QDate storedDay(const QVariant& value);
