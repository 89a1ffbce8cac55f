#include "storage/TabFile.h"

#include <cmath>

namespace {

QList<QByteArray> splitLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << bytes.mid(start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << bytes.mid(start);
    return lines;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "MM/DD/YYYY"; invalid for anything else.
QDate usDate(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (t.size() != 10 || t[2] != '/' || t[5] != '/')
        return {};
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!isDigit(t[i]))
            return {};
    const QDate date(t.mid(6, 4).toInt(), t.mid(0, 2).toInt(), t.mid(3, 2).toInt());
    return date.isValid() && date.year() >= 1 ? date : QDate();
}

// A non-negative decimal number: digits, a fraction, an exponent. The comma
// of a German-written file is taken as the decimal point.
bool byteCount(const QByteArray& line, double& value)
{
    QByteArray t = line.trimmed();
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        return i > start;
    };
    if (!digits())
        return false;
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        t[i] = '.';
        ++i;
        digits();
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    if (i != t.size())
        return false;
    bool ok = false;
    value = t.toDouble(&ok);
    return ok && std::isfinite(value);
}

QString lineText(const QByteArray& line) { return QString::fromUtf8(line.left(200)); }

} // namespace

TabFileContent parseTabFile(const QByteArray& bytes)
{
    TabFileContent content;
    if (bytes.contains('\0')) {
        content.error = QStringLiteral("the file holds a NUL byte: it is no table file");
        return content;
    }
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QList<QByteArray> lines = splitLines(text);
    if (lines.size() % 3 != 0) {
        content.error = QStringLiteral("the file has %1 lines, not three for each day").arg(lines.size());
        return content;
    }
    for (qsizetype i = 0; i < lines.size(); i += 3) {
        TabDay day;
        for (qsizetype k : {i + 1, i + 2}) {
            double& value = k == i + 1 ? day.received : day.send;
            if (!byteCount(lines[k], value)) {
                content.error = QStringLiteral("line %1 ('%2') is no byte count").arg(k + 1).arg(lineText(lines[k]));
                content.skipped.clear();
                content.days.clear();
                return content;
            }
        }
        day.day = usDate(lines[i]);
        if (day.day.isValid())
            content.days << day;
        else
            content.skipped << TabSkippedDay{static_cast<int>(i + 1), lineText(lines[i])};
    }
    content.ok = true;
    return content;
}

QString byteCountText(double value)
{
    // Whole numbers below 2^63 have an exact decimal form; print all of it.
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.2e18)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 17);
}

QByteArray formatTabFile(const QList<TabDay>& days)
{
    QByteArray out;
    out.reserve(days.size() * 40);
    for (const TabDay& d : days) {
        out += QStringLiteral("%1/%2/%3")
                   .arg(d.day.month(), 2, 10, QLatin1Char('0'))
                   .arg(d.day.day(), 2, 10, QLatin1Char('0'))
                   .arg(d.day.year(), 4, 10, QLatin1Char('0'))
                   .toLatin1();
        out += "\r\n";
        out += byteCountText(d.received).toLatin1();
        out += "\r\n";
        out += byteCountText(d.send).toLatin1();
        out += "\r\n";
    }
    return out;
}

QString exportFileName(const QString& chosen, const QString& table)
{
    QString safeTable = table;
    safeTable.replace(QLatin1Char('/'), QLatin1Char('_'));
    safeTable.replace(QChar(0), QLatin1Char('_'));
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = chosen.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash) // no extension in the file's own name
        return chosen + QLatin1Char('_') + safeTable;
    return chosen.left(dot) + QLatin1Char('_') + safeTable + chosen.mid(dot);
}
