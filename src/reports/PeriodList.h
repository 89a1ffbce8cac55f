#pragma once

#include "reports/TrafficDays.h"

#include <QStringList>

#include <functional>
#include <vector>

class LocaleTexts;

enum class PeriodKind { Month, Year };

// The period list of the month and year tables, built while the days are read
// oldest first: an empty sentinel, then per period its label ("06/2007" or
// "2007"), the sums received and sent divided by `divisor`, and the averages
// (sum × `factor` / `divisor`). `progress` is told each row read.
QStringList periodList(const std::vector<TrafficDay>& days, PeriodKind kind, long double divisor, long double factor,
                       const LocaleTexts& texts, const std::function<void(int rowsRead)>& progress = {});

// One table line per period of such a list.
QStringList periodLines(const QStringList& list);
