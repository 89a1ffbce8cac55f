#include "config/QuantityFormat.h"

#include "config/TSprache.h"

#include <QLocale>

#include <algorithm>

QString FormatQuantity(long double value, const int& base, const TSprache& sprache)
{
    const long double d = base;
    const QStringList& units = base == 1000 ? sprache.units1000() : sprache.units1024();
    // Scaling stops at the last unit name, so a value beyond it is still shown
    // correctly in that unit (2048 of the last unit, not 2 of it).
    const int lastUnit = std::max<int>(static_cast<int>(units.size()) - 1, 0);
    int i = 0;
    while (value > d && i < lastUnit) {
        ++i;
        value /= d;
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString number = locale.toString(static_cast<double>(value), 'f', 2);
    return number + ' ' + (units.isEmpty() ? QString() : units.at(i));
}

QString FormatQuantityText(const QString& text, const int& base, const TSprache& sprache)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        return QStringLiteral("Fehler");
    return FormatQuantity(value, base, sprache);
}
