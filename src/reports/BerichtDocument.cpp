#include "reports/BerichtDocument.h"

#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "reports/LocaleTexts.h"
#include "reports/OwnRangePeriods.h"
#include "reports/PeriodList.h"

#include <algorithm>
#include <cmath>

namespace {

// Days per month and months per year the averages are taken over, whatever
// the real length of a period or the number of stored days in it.
constexpr long double kDayFactor = 1.0L / 30.42L;
constexpr long double kMonthFactor = 1.0L / 12.0L;

const QString kTableAttributes = QStringLiteral("border=\"3\" frame=\"void\" width=\"100%\">");

} // namespace

BerichtDocument::BerichtDocument(const TSprache& sprache, const LocaleTexts& texts, int base, const QString& unitText)
    : m_sprache(sprache)
    , m_texts(texts)
    , m_base(base)
    , m_unitText(escaped(unitText))
{
}

QString BerichtDocument::escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        // Not characters of an XML document at all; interface names can hold them.
        case 0xFFFE:
        case 0xFFFF: break;
        default:
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += c;
                out += text[++i];
            } else if (!c.isSurrogate() && (c.unicode() >= 0x20 || c == QLatin1Char('\t'))) {
                // Control characters are not allowed either.
                out += c;
            }
        }
    }
    return out;
}

QString BerichtDocument::text(const char* key) const
{
    return escaped(m_sprache.text(QStringLiteral("TBerichtThread"), QString::fromLatin1(key)));
}

void BerichtDocument::head()
{
    m_lines << QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")
            << QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                              "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">")
            << QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">") << QStringLiteral("<head>")
            << QStringLiteral("<title>") + text("StrTitle") + QStringLiteral("</title>")
            << QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />")
            << QStringLiteral("<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\" />")
            << QStringLiteral("</head>") << QStringLiteral("<body>");
}

void BerichtDocument::adapterHeading(const QString& name, const QString& index)
{
    m_lines << QStringLiteral("<h1>") + escaped(name) + QLatin1Char('(') + escaped(index) + QStringLiteral(") </h1>");
}

void BerichtDocument::dayTable(const std::vector<TrafficDay>& days, long double divisor, const Progress& progress)
{
    const QString download = text("StrDownload");
    const QString upload = text("StrUpload");
    m_lines << QStringLiteral("<h2 class=\"tagesstatistik\">") + text("StrTagesstatistik") + QStringLiteral("</h2>")
            << QStringLiteral("<p>") << QStringLiteral("in ") + m_unitText + QStringLiteral("</p>")
            << QStringLiteral("<table class=\"tagesstatistiktabelle\" ") + kTableAttributes
            << QStringLiteral("<tr><td><b>")
                   + escaped(m_sprache.text(QStringLiteral("StatistikThread"), QStringLiteral("StrDatum")))
                   + QStringLiteral("</b></td><td><b>&#8721;") + download + QStringLiteral("</b></td><td><b>&#8721;")
                   + upload + QStringLiteral("</b></td></tr>");
    int read = 0;
    for (const TrafficDay& d : days) {
        m_lines << QStringLiteral("<tr align=\"right\"><td>") + m_texts.shortDate(d.day) + QStringLiteral("</td><td>")
                + m_texts.fixed(d.received / divisor) + QStringLiteral("</td><td>") + m_texts.fixed(d.sent / divisor)
                + QStringLiteral("</td></tr>");
        if (progress)
            progress(++read);
    }
    m_lines << QStringLiteral("</table>");
}

void BerichtDocument::unitParagraph(const QString& unit, const char* averageKey)
{
    m_lines << QStringLiteral("<p>") << QStringLiteral("in ") + unit + QStringLiteral("<br />")
            << QStringLiteral("&#216;: ") + text(averageKey) + QStringLiteral("</p>");
}

void BerichtDocument::periodHeaderRow(const char* firstKey, bool blankAfterFirst)
{
    const QString download = text("StrDownload");
    const QString upload = text("StrUpload");
    m_lines << QStringLiteral("<tr><td align=\"right\"><b> ") + text(firstKey)
            + (blankAfterFirst ? QStringLiteral(" </b>") : QStringLiteral("</b>"))
            + QStringLiteral("</td><td><b>&#8721; ") + download + QStringLiteral("</b></td><td><b>&#8721; ") + upload
            + QStringLiteral("</b></td><td><b>&#216; ") + download + QStringLiteral("</b></td><td><b>&#216; ") + upload
            + QStringLiteral("</b></td></tr>");
}

void BerichtDocument::monthTable(const std::vector<TrafficDay>& days, long double divisor, const Progress& progress)
{
    m_lines << QStringLiteral("<h2 class=\"monatsstatistik\">") + text("StrMonatsstatistik") + QStringLiteral("</h2>");
    unitParagraph(m_unitText, "StrTagesdurchschnitt");
    m_lines << QStringLiteral("<table class=\"monatsstatistiktabelle\" ") + kTableAttributes;
    periodHeaderRow("StrMonat", true);
    m_lines << periodLines(periodList(days, PeriodKind::Month, divisor, kDayFactor, m_texts, progress));
    m_lines << QStringLiteral("</table>");
}

void BerichtDocument::ownRangeTable(const std::vector<TrafficDay>& days, long double divisor, int fromDay, int toDay)
{
    m_lines << QStringLiteral("<h2 class=\"eigenestatistik\">") + text("StrOwnRange") + QStringLiteral("</h2>");
    unitParagraph(m_unitText, "StrTagesdurchschnitt");
    m_lines << QStringLiteral("<table class=\"eigenestatistiktabelle\" ") + kTableAttributes;
    periodHeaderRow("StrRange", true);
    if (!days.empty()) {
        auto before = [](const TrafficDay& d, const QDate& day) { return d.day < day; };
        for (const OwnRangePeriod& p : ownRangePeriods(days.front().day, days.back().day, fromDay, toDay)) {
            // One pass over the period's days, found by date in the ordered rows.
            long double r = 0;
            long double s = 0;
            for (auto it = std::lower_bound(days.begin(), days.end(), p.start, before);
                 it != days.end() && it->day <= p.end; ++it) {
                r += it->received;
                s += it->sent;
            }
            m_lines << QStringLiteral("<tr align=\"right\"><td>") + m_texts.shortDate(p.start) + QStringLiteral(" - ")
                    + m_texts.shortDate(p.end) + QStringLiteral("</td><td>") + m_texts.fixed(r / divisor)
                    + QStringLiteral("</td><td>") + m_texts.fixed(s / divisor) + QStringLiteral("</td><td>")
                    + m_texts.fixed(r * kDayFactor / divisor) + QStringLiteral("</td><td>")
                    + m_texts.fixed(s * kDayFactor / divisor) + QStringLiteral("</td></tr>");
        }
    }
    m_lines << QStringLiteral("</table>");
}

void BerichtDocument::yearTable(const std::vector<TrafficDay>& days, const Progress& progress)
{
    const long double divisor = std::pow(static_cast<long double>(m_base), 3.0L);
    m_lines << QStringLiteral("<h2 class=\"jahresstatistik\">") + text("StrJahresstatistik") + QStringLiteral("</h2>");
    unitParagraph(QStringLiteral("Gbyte"), "StrMonatsdurchschnitt");
    m_lines << QStringLiteral("<table class=\"jahresstatistiktabelle\" ") + kTableAttributes;
    periodHeaderRow("StrJahr", false);
    m_lines << periodLines(periodList(days, PeriodKind::Year, divisor, kMonthFactor, m_texts, progress));
    m_lines << QStringLiteral("</table>");
}

void BerichtDocument::summary(const std::vector<TrafficDay>& days, const Progress& progress)
{
    long double r = 0;
    long double s = 0;
    int read = 0;
    for (const TrafficDay& d : days) {
        r += d.received;
        s += d.sent;
        if (progress)
            progress(++read);
    }
    // An adapter without stored days has no average: it shows zeros.
    const long double n = days.empty() ? 1 : static_cast<long double>(days.size());
    auto quantity = [&](long double v) { return escaped(FormatQuantity(v, m_base, m_sprache)); };
    const QString download = text("StrDownload");
    const QString upload = text("StrUpload");
    m_lines << QStringLiteral("<h2 class=\"zusammenfassung\">") + text("StrZusammenfassung") + QStringLiteral("</h2>")
            << QStringLiteral("<table  class=\"zusammenfassungtabelle\" ") + kTableAttributes
            << QStringLiteral("<tr><td rowspan=\"3\">") + text("StrGesamttraffic") + QStringLiteral("</td></tr><tr><td>")
                   + download + QStringLiteral(":</td><td>") + quantity(r) + QStringLiteral("</td></tr><tr><td>") + upload
                   + QStringLiteral(":</td><td>") + quantity(s) + QStringLiteral("</td></tr>")
            << QStringLiteral("<tr><td rowspan=\"5\">") + text("StrDurchschnittstraffic_perDay")
                   + QStringLiteral(" :</td></tr><tr><td>") + download + QStringLiteral(":</td><td>") + quantity(r / n)
                   + QStringLiteral("</td></tr><tr><td>") + upload + QStringLiteral(":</td><td>") + quantity(s / n)
                   + QStringLiteral("</td></tr>")
            << QStringLiteral("</table>");
}

void BerichtDocument::closing(const QDateTime& now)
{
    m_lines << QStringLiteral("<p>")
            << text("StrBericht") + QLatin1Char(' ') + escaped(m_texts.longDate(now.date())) + QLatin1Char(' ')
                   + text("StrUm") + QLatin1Char(' ') + escaped(m_texts.longTime(now.time()))
            << QStringLiteral("</p>") << QStringLiteral("</body>") << QStringLiteral("</html>");
}
