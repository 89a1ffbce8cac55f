#pragma once

#include <QDate>
#include <QString>

#include <optional>

// A date as the user types it into a date field, in the order of day, month
// and year that `pattern` (a short date pattern such as "dd.MM.yyyy") gives:
// numbers separated by punctuation, the year may be left out (this year) or
// have two digits (within fifty years of `today`). Nothing when the text is no
// such date. Pure: no locale, no clock, no file.
std::optional<QDate> parseTypedDate(const QString& text, const QString& pattern, const QDate& today);
