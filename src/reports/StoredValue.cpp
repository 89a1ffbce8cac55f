#include "reports/StoredValue.h"

#include <QLocale>

#include <cmath>

std::optional<long double> storedNumber(const QVariant& value)
{
    double number = 0;
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return static_cast<long double>(value.toLongLong());
    case QMetaType::Double:
        number = value.toDouble();
        ok = true;
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        number = text.toDouble(&ok);
        if (!ok) {
            QLocale locale;
            locale.setNumberOptions(QLocale::RejectGroupSeparator);
            number = locale.toDouble(text, &ok);
        }
        break;
    }
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return static_cast<long double>(number);
}

namespace {

int digitsAt(const QString& s, int from, int count)
{
    int n = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n;
}

} // namespace

QDate storedDay(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return {};
    const QString s = value.toString();
    if (s.size() < 10 || s[4] != QLatin1Char('-') || s[7] != QLatin1Char('-'))
        return {};
    if (s.size() > 10 && s[10] != QLatin1Char(' ') && s[10] != QLatin1Char('T'))
        return {};
    const int y = digitsAt(s, 0, 4);
    const int m = digitsAt(s, 5, 2);
    const int d = digitsAt(s, 8, 2);
    if (y < 1 || m < 0 || d < 0)
        return {};
    return QDate(y, m, d); // invalid for a day the month lacks
}
