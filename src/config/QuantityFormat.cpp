#include "config/QuantityFormat.h"

#include "config/TSprache.h"

#include <QLocale>

QString FormatQuantity(long double value, const int& base, const TSprache& sprache)
{
    const long double d = base;
    int i = 0;
    while (value > d && i < 9) {
        ++i;
        value /= d;
    }
    const QStringList& units = base == 1000 ? sprache.units1000() : sprache.units1024();
    // Beyond the ninth power the last name stands.
    const int unit = std::min<int>(i, static_cast<int>(units.size()) - 1);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString number = locale.toString(static_cast<double>(value), 'f', 2);
    return number + ' ' + (unit >= 0 ? units.at(unit) : QString());
}

QString FormatQuantityText(const QString& text, const int& base, const TSprache& sprache)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        return QStringLiteral("Fehler");
    return FormatQuantity(value, base, sprache);
}
