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
    QString decimalPoint;
    QChar zeroDigit;
    bool plainDigits = false; // zero is a single code unit
};

const NumberSymbols& numberSymbols()
{
    thread_local NumberSymbols symbols;
    thread_local bool known = false;
    const QLocale current;
    if (!known || symbols.locale != current) {
        symbols.locale = current;
        symbols.decimalPoint = current.decimalPoint();
        const QString zero = current.zeroDigit();
        symbols.plainDigits = zero.size() == 1;
        symbols.zeroDigit = symbols.plainDigits ? zero.at(0) : QChar();
        known = true;
    }
    return symbols;
}

// `value` with two decimals as the current locale writes it, without group separators.
QString twoDecimals(double value)
{
    const NumberSymbols& symbols = numberSymbols();
    if (!std::isfinite(value) || value < 0 || !symbols.plainDigits) {
        QLocale locale = symbols.locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value, 'f', 2);
    }
    const QString digits = QString::number(value, 'f', 2);
    QString text;
    text.reserve(digits.size() + symbols.decimalPoint.size());
    const char16_t offset = symbols.zeroDigit.unicode() - u'0';
    for (const QChar c : digits) {
        if (c == QLatin1Char('.'))
            text += symbols.decimalPoint;
        else
            text += QChar(static_cast<char16_t>(c.unicode() + offset));
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
