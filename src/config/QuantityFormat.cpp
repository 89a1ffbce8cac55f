#include "config/QuantityFormat.h"

#include "config/TSprache.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// The symbols the locale writes a plain number with. The system locale asks
// the system for each of them at every conversion; a sample formats dozens.
struct NumberSymbols
{
    QLocale locale;
    QChar decimalPoint;
    char16_t digitOffset = 0; // from '0' to the locale's zero
    bool simple = false;      // both are single code units
};

const NumberSymbols& numberSymbols()
{
    thread_local NumberSymbols symbols;
    thread_local bool known = false;
    const QLocale current;
    if (!known || symbols.locale != current) {
        symbols.locale = current;
        const QString point = current.decimalPoint();
        const QString zero = current.zeroDigit();
        symbols.simple = point.size() == 1 && zero.size() == 1;
        symbols.decimalPoint = symbols.simple ? point.at(0) : QChar();
        symbols.digitOffset = symbols.simple ? static_cast<char16_t>(zero.at(0).unicode() - u'0') : 0;
        known = true;
    }
    return symbols;
}

// `value` with two decimals as the current locale writes it, without group separators.
QString twoDecimals(double value)
{
    const NumberSymbols& symbols = numberSymbols();
    if (!std::isfinite(value) || value < 0 || !symbols.simple) {
        QLocale locale = symbols.locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value, 'f', 2);
    }
    QString text = QString::number(value, 'f', 2);
    for (QChar& c : text) {
        if (c == QLatin1Char('.'))
            c = symbols.decimalPoint;
        else
            c = QChar(static_cast<char16_t>(c.unicode() + symbols.digitOffset));
    }
    return text;
}

} // namespace

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
    return twoDecimals(static_cast<double>(value)) + ' ' + (units.isEmpty() ? QString() : units.at(i));
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
