#include "reports/PeriodList.h"

#include "reports/LocaleTexts.h"

namespace {

QString periodLabel(const QDate& day, PeriodKind kind)
{
    const QString year = QString::number(day.year()).rightJustified(4, QLatin1Char('0'));
    if (kind == PeriodKind::Year)
        return year;
    return QString::number(day.month()).rightJustified(2, QLatin1Char('0')) + QLatin1Char('/') + year;
}

} // namespace

QStringList periodList(const std::vector<TrafficDay>& days, PeriodKind kind, long double divisor, long double factor,
                       const LocaleTexts& texts, const std::function<void(int)>& progress)
{
    // Zero periods print a plain zero amount; the user's decimal separator,
    // like every other amount of the report.
    const QString zero = texts.fixed(0);
    QStringList list{QString()};
    long double r = 0;
    long double s = 0;
    auto appendAverages = [&](bool always) {
        if (r != 0)
            r = r * factor / divisor;
        if (s != 0)
            s = s * factor / divisor;
        if (r != 0 || s != 0)
            list << texts.fixed(r) << texts.fixed(s);
        else if (always || list.size() > 1)
            list << zero << zero;
    };
    QString label;
    for (size_t i = 0; i < days.size(); ++i) {
        const TrafficDay& day = days[i];
        // The days come in date order: the label changes only with the period.
        if (i == 0 || day.day.year() != days[i - 1].day.year()
            || (kind == PeriodKind::Month && day.day.month() != days[i - 1].day.month()))
            label = periodLabel(day.day, kind);
        if (label == list.last()) {
            r += day.received;
            s += day.sent;
        } else {
            if (r != 0 || s != 0)
                list << texts.fixed(r / divisor) << texts.fixed(s / divisor);
            else if (list.size() > 1)
                list << zero << zero;
            appendAverages(false);
            list << label;
            r = day.received;
            s = day.sent;
        }
        if (progress)
            progress(static_cast<int>(i + 1));
    }
    if (days.empty())
        return list;
    // The last period always prints its sums.
    list << texts.fixed(r / divisor) << texts.fixed(s / divisor);
    appendAverages(true);
    return list;
}

QStringList periodLines(const QStringList& list)
{
    QStringList lines;
    for (qsizetype i = 0; i + 5 < list.size(); i += 5) {
        lines << QStringLiteral("<tr align=\"right\"><td>") + list[i + 1] + QStringLiteral("</td><td>") + list[i + 2]
                + QStringLiteral("</td><td>") + list[i + 3] + QStringLiteral("</td><td>") + list[i + 4]
                + QStringLiteral("</td><td>") + list[i + 5] + QStringLiteral("</td></tr>");
    }
    return lines;
}
