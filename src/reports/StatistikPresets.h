#pragma once

#include <QDate>

#include <optional>

// The days a range preset of the statistics tab fills into its two date
// fields. `to` is invalid where the field is left empty.
struct PresetRange
{
    QDate from;
    QDate to;
};

// Presets by item index: 1 today, 2 last week, 3 this week, 4 last month,
// 5 this month; weeks run Monday to Sunday. Nothing for 0 (own dates) and
// any other index: the fields stay as they are.
std::optional<PresetRange> presetRange(int index, const QDate& today);
