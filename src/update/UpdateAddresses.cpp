#include "update/UpdateAddresses.h"

#include "update/Blank.h"

namespace {


const QChar kQuote = QLatin1Char('"');
const QChar kComma = QLatin1Char(',');

// A quoted entry starting at `pos` (on the opening quote); moves `pos` past
// the closing quote, or to the end when there is none.
QString quotedEntry(QStringView text, qsizetype& pos)
{
    QString entry;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == kQuote) {
            if (pos + 1 < text.size() && text[pos + 1] == kQuote) {
                entry += kQuote;
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        entry += text[pos++];
    }
    return entry;
}

} // namespace

QStringList splitCommaText(QStringView text)
{
    QStringList entries;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n && isBlank(text[pos]))
        ++pos;
    while (pos < n) {
        if (text[pos] == kQuote) {
            entries << quotedEntry(text, pos);
        } else {
            const qsizetype start = pos;
            while (pos < n && !isBlank(text[pos]) && text[pos] != kComma)
                ++pos;
            entries << text.mid(start, pos - start).toString();
        }
        while (pos < n && isBlank(text[pos]))
            ++pos;
        if (pos < n && text[pos] == kComma) {
            if (pos + 1 == n)
                entries << QString();
            do
                ++pos;
            while (pos < n && isBlank(text[pos]));
        }
    }
    return entries;
}

UpdateAddresses parseAddressList(QStringView text)
{
    const QStringList entries = splitCommaText(text);
    UpdateAddresses result;
    if (entries.size() < 2) {
        result.error = QStringLiteral("Listenindex überschreitet das Maximum (%1): die Adressliste hat %2 Einträge, "
                                      "zwei werden gebraucht.")
                           .arg(1)
                           .arg(entries.size());
        return result;
    }
    result.download = entries[0];
    result.second = entries[1];
    return result;
}

QString downloadExtension(QStringView address)
{
    QStringView path = address;
    const qsizetype query = path.indexOf(QLatin1Char('?'));
    if (query >= 0)
        path = path.left(query);
    const qsizetype fragment = path.indexOf(QLatin1Char('#'));
    if (fragment >= 0)
        path = path.left(fragment);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QStringView extension = path.mid(dot);
    // A folder separator or a drive colon after the dot: the dot is not in the file name.
    for (const QChar c : extension)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < ' ')
            return {};
    return extension.toString();
}

QString downloadFileName(QStringView address)
{
    return QStringLiteral("netzpegel_patch") + downloadExtension(address);
}
