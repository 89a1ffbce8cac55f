#include "update/UpdateVersion.h"

#include "update/Blank.h"

#include <QList>

namespace {

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

// The components without their leading zeros; false when the text is no version.
bool components(QStringView text, QList<QStringView>& out)
{
    if (text.isEmpty())
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != QLatin1Char('.')) {
            if (!isDigit(text[i]))
                return false;
            continue;
        }
        QStringView part = text.mid(start, i - start);
        if (part.isEmpty())
            return false;
        while (part.size() > 1 && part.front() == QLatin1Char('0'))
            part = part.mid(1);
        out.append(part);
        start = i + 1;
    }
    return true;
}

// Digit texts without leading zeros: the longer is the larger, else the first difference.
int compareNumbers(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

QStringView versionText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

VersionOrder compareVersions(QStringView server, QStringView installed)
{
    const QStringView s = versionText(server);
    const QStringView i = versionText(installed);
    QList<QStringView> sc;
    QList<QStringView> ic;
    if (!components(s, sc) || !components(i, ic))
        return VersionOrder::Unreadable;
    if (s == i)
        return VersionOrder::SameText;
    const QStringView zero = u"0";
    for (qsizetype n = 0; n < std::max(sc.size(), ic.size()); ++n) {
        const int order = compareNumbers(n < sc.size() ? sc[n] : zero, n < ic.size() ? ic[n] : zero);
        if (order != 0)
            return order > 0 ? VersionOrder::Newer : VersionOrder::NotNewer;
    }
    return VersionOrder::NotNewer;
}
