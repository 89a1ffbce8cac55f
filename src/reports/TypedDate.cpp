#include "reports/TypedDate.h"

#include <QList>

#include <algorithm>
#include <array>

namespace {

enum Field { Day, Month, Year };

// Order of day, month and year in the pattern; day-month-year when it says nothing.
std::array<Field, 3> fieldOrder(const QString& pattern)
{
    const qsizetype d = pattern.indexOf(QLatin1Char('d'));
    const qsizetype m = pattern.indexOf(QLatin1Char('M'));
    const qsizetype y = pattern.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return {Day, Month, Year};
    std::array<std::pair<qsizetype, Field>, 3> at{{{d, Day}, {m, Month}, {y, Year}}};
    std::sort(at.begin(), at.end());
    return {at[0].second, at[1].second, at[2].second};
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Format;
}

// The runs of digits of `text`. Between two numbers stands exactly one
// punctuation mark, with blanks around it if need be; one may also end the
// text ("8. 12. 2026." in some locales). Anything else makes it no date.
std::optional<QList<QString>> numbers(const QString& text)
{
    QList<QString> parts;
    QString digits;
    int marks = 0; // punctuation marks since the last number
    for (const QChar c : text) {
        if (c.isDigit()) {
            if (digits.isEmpty() && !parts.isEmpty() && marks != 1)
                return std::nullopt;
            digits += QChar(u'0' + c.digitValue());
            if (digits.size() > 4)
                return std::nullopt;
            continue;
        }
        if (!c.isPunct() && !isBlank(c))
            return std::nullopt;
        if (!digits.isEmpty()) {
            parts << digits;
            digits.clear();
            marks = 0;
        } else if (parts.isEmpty()) {
            return std::nullopt; // nothing may come before the first number
        }
        if (!isBlank(c) && ++marks > 1)
            return std::nullopt;
    }
    if (!digits.isEmpty())
        parts << digits;
    return parts;
}

int widenYear(int twoDigits, int thisYear)
{
    int year = thisYear / 100 * 100 + twoDigits;
    if (year > thisYear + 50)
        year -= 100;
    else if (year <= thisYear - 50)
        year += 100;
    return year;
}

} // namespace

std::optional<QDate> parseTypedDate(const QString& text, const QString& pattern, const QDate& today)
{
    const std::optional<QList<QString>> parts = numbers(text.trimmed());
    if (!parts || parts->size() < 2 || parts->size() > 3)
        return std::nullopt;
    const std::array<Field, 3> order = fieldOrder(pattern);
    int value[3] = {0, 0, today.year()};
    qsizetype yearDigits = 4;
    qsizetype next = 0;
    for (const Field field : order) {
        if (field == Year && parts->size() == 2)
            continue; // no year typed: this year
        const QString& part = parts->at(next++);
        if (field != Year && part.size() > 2)
            return std::nullopt;
        value[field] = part.toInt();
        if (field == Year)
            yearDigits = part.size();
    }
    if (yearDigits <= 2)
        value[Year] = widenYear(value[Year], today.year());
    if (value[Year] < 1)
        return std::nullopt;
    const QDate date(value[Year], value[Month], value[Day]);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
