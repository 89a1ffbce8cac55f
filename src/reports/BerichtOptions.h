#pragma once

#include <QString>

struct Berichte;
class TSprache;

// The options of one report run, taken from the reports tab (or the saved
// report settings) when the run starts.
struct BerichtOptions
{
    int unitIndex = 1;  // divisor = base to this power
    QString unitText;   // written after "in "
    int base = 1024;    // 1000 or 1024
    bool tagesbericht = true;
    bool monatsbericht = true;
    bool eigenerbericht = false;
    bool jahresbericht = true;
    int fromDay = 1;    // first day of each own-range period, 1..28
    int toDay = 28;     // its last day, in the following month, 1..28
    QString path;
};

// A day of the own-range periods as its field gives it: `fallback` when the
// text is no number, then kept within 1..28 so that every month has it.
int ownRangeDay(const QString& text, int fallback);

// The name of unit `index` for conversion base `base` (1000 or 1024) as the
// language file gives it; empty for an index without one.
QString reportUnitName(const TSprache& sprache, int base, int index);

// The options of a run from the saved report settings.
BerichtOptions berichtOptions(const Berichte& saved, int base, const QString& unitText);
