#pragma once

#include <QString>

class TSprache;

// Byte count or rate as text: scaled by `base` (1000 or 1024) while strictly
// above it, two decimals in the locale's form, then the unit name of the list
// that belongs to the base.
QString FormatQuantity(long double value, const int& base, const TSprache& sprache);

// The same for a number given as locale text; "Fehler" when it is no number.
QString FormatQuantityText(const QString& text, const int& base, const TSprache& sprache);
