#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <vector>

// Dates and numbers as the user's regional settings write them. Reports write
// hundreds of thousands of them, so the common cases avoid the locale's
// general formatter.
class LocaleTexts
{
public:
    explicit LocaleTexts(const QLocale& locale = QLocale());

    // The short date with a four-digit year, in a form the date fields take back.
    QString shortDate(const QDate& date) const;
    QString longDate(const QDate& date) const;
    // The long time without a time-zone name.
    QString longTime(const QTime& time) const;
    // Two decimals, the user's decimal separator, no thousands separator.
    QString fixed(long double value) const;

    const QString& shortDatePattern() const { return m_shortPattern; }
    const QLocale& locale() const { return m_locale; }

    // The locale's short date pattern when it is made of day, month and year
    // numbers only (two-digit years widened to four), else "dd.MM.yyyy".
    static QString numericShortDatePattern(const QLocale& locale);

private:
    enum class Part { Literal, Day, Day2, Month, Month2, Year2, Year4 };
    struct Token
    {
        Part part;
        QString literal;
    };

    QLocale m_locale;
    QString m_shortPattern;
    QString m_longTimePattern;
    QString m_decimalPoint;
    std::vector<Token> m_tokens;
    bool m_asciiDigits;
};
