#include "reports/LocaleTexts.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace {

void appendNumber(QString& out, int value, int width)
{
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    const int length = static_cast<int>(end - buf);
    for (int i = length; i < width; ++i)
        out += QLatin1Char('0');
    out += QLatin1String(buf, length);
}

// The zone name makes the closing line of a report depend on where it was written.
QString timePatternWithoutZone(const QLocale& locale)
{
    QString pattern = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?(?<![A-Za-z])t+(?![A-Za-z])\\)?\\s*"));
    pattern.replace(zone, QStringLiteral(" "));
    return pattern.trimmed();
}

} // namespace

LocaleTexts::LocaleTexts(const QLocale& locale)
    : m_locale(locale)
    , m_shortPattern(numericShortDatePattern(locale))
    , m_longTimePattern(timePatternWithoutZone(locale))
    , m_decimalPoint(locale.decimalPoint())
    , m_asciiDigits(locale.zeroDigit() == QLatin1String("0") && locale.negativeSign() == QLatin1String("-"))
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString& p = m_shortPattern;
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        qsizetype n = 1;
        while (i + n < p.size() && p[i + n] == c)
            ++n;
        Part part = Part::Literal;
        if (c == QLatin1Char('d'))
            part = n == 1 ? Part::Day : Part::Day2;
        else if (c == QLatin1Char('M'))
            part = n == 1 ? Part::Month : Part::Month2;
        else if (c == QLatin1Char('y'))
            part = n == 2 ? Part::Year2 : Part::Year4;
        if (part == Part::Literal && !m_tokens.empty() && m_tokens.back().part == Part::Literal)
            m_tokens.back().literal += p.mid(i, n);
        else
            m_tokens.push_back({part, part == Part::Literal ? p.mid(i, n) : QString()});
        i += n;
    }
}

QString LocaleTexts::numericShortDatePattern(const QLocale& locale)
{
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    // Only day, month and year numbers can be typed into the date fields and read back.
    bool numeric = pattern.contains(QLatin1Char('d')) && pattern.contains(QLatin1Char('M'))
        && pattern.contains(QLatin1Char('y'));
    for (qsizetype i = 0; numeric && i < pattern.size();) {
        const QChar c = pattern[i];
        qsizetype n = 1;
        while (i + n < pattern.size() && pattern[i + n] == c)
            ++n;
        if (c == QLatin1Char('d') || c == QLatin1Char('M'))
            numeric = n <= 2;
        else if (c == QLatin1Char('y'))
            numeric = n == 2 || n == 4;
        else
            numeric = !c.isLetter() && c != QLatin1Char('\'');
        i += n;
    }
    if (!numeric)
        return QStringLiteral("dd.MM.yyyy");
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    pattern.replace(twoDigitYear, QStringLiteral("yyyy"));
    return pattern;
}

QString LocaleTexts::shortDate(const QDate& date) const
{
    if (!date.isValid())
        return {};
    if (!m_asciiDigits)
        return m_locale.toString(date, m_shortPattern);
    QString out;
    out.reserve(12);
    for (const Token& t : m_tokens) {
        switch (t.part) {
        case Part::Literal: out += t.literal; break;
        case Part::Day: appendNumber(out, date.day(), 1); break;
        case Part::Day2: appendNumber(out, date.day(), 2); break;
        case Part::Month: appendNumber(out, date.month(), 1); break;
        case Part::Month2: appendNumber(out, date.month(), 2); break;
        case Part::Year2: appendNumber(out, date.year() % 100, 2); break;
        case Part::Year4: appendNumber(out, date.year(), 4); break;
        }
    }
    return out;
}

QString LocaleTexts::longDate(const QDate& date) const { return m_locale.toString(date, QLocale::LongFormat); }

QString LocaleTexts::longTime(const QTime& time) const { return m_locale.toString(time, m_longTimePattern); }

QString LocaleTexts::fixed(long double value) const
{
    const double v = static_cast<double>(value);
    if (!m_asciiDigits || !std::isfinite(v))
        return m_locale.toString(v, 'f', 2);
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    if (ec != std::errc())
        return m_locale.toString(v, 'f', 2);
    const int length = static_cast<int>(end - buf);
    // "-0.00" for a tiny negative value reads as a negative amount.
    const bool negativeZero = buf[0] == '-' && std::fabs(v) < 0.005;
    QString out = QLatin1String(negativeZero ? buf + 1 : buf, negativeZero ? length - 1 : length);
    const qsizetype dot = out.size() - 3;
    out.replace(dot, 1, m_decimalPoint);
    return out;
}
