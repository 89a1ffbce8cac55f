#include "storage/TabFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// Walks the lines of a file where they stand: a file of millions of short
// lines must not become millions of objects.
class LineWalker
{
public:
    explicit LineWalker(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }

    bool next(QByteArrayView& line)
    {
        if (m_pos >= m_bytes.size())
            return false;
        qsizetype end = m_pos;
        while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n')
            ++end;
        line = m_bytes.sliced(m_pos, end - m_pos);
        if (end + 1 < m_bytes.size() && m_bytes[end] == '\r' && m_bytes[end + 1] == '\n')
            ++end;
        m_pos = end + 1;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

qsizetype countLines(QByteArrayView bytes)
{
    LineWalker walker(bytes);
    QByteArrayView line;
    qsizetype n = 0;
    while (walker.next(line))
        ++n;
    return n;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "MM/DD/YYYY"; invalid for anything else.
QDate usDate(QByteArrayView line)
{
    const QByteArrayView t = line.trimmed();
    if (t.size() != 10 || t[2] != '/' || t[5] != '/')
        return {};
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!isDigit(t[i]))
            return {};
    const auto number = [&](qsizetype from, qsizetype n) {
        int value = 0;
        for (qsizetype i = from; i < from + n; ++i)
            value = value * 10 + (t[i] - '0');
        return value;
    };
    const QDate date(number(6, 4), number(0, 2), number(3, 2));
    return date.isValid() && date.year() >= 1 ? date : QDate();
}

// A non-negative decimal number: digits, a fraction, an exponent. The comma
// of a German-written file is taken as the decimal point.
bool byteCount(QByteArrayView line, double& value)
{
    const QByteArrayView t = line.trimmed();
    qsizetype i = 0;
    qsizetype comma = -1;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        return i > start;
    };
    if (!digits())
        return false;
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        if (t[i] == ',')
            comma = i;
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
    QByteArray text = t.toByteArray();
    if (comma >= 0)
        text[comma] = '.';
    const auto [end, error] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    return error == std::errc() && end == text.constData() + text.size() && std::isfinite(value);
}

QString lineText(QByteArrayView line) { return QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 200))); }

} // namespace

TabFileContent parseTabFile(const QByteArray& bytes)
{
    TabFileContent content;
    if (bytes.contains('\0')) {
        content.error = QStringLiteral("the file holds a NUL byte: it is no table file");
        return content;
    }
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    const qsizetype lineCount = countLines(text);
    if (lineCount % 3 != 0) {
        content.error = QStringLiteral("the file has %1 lines, not three for each day").arg(lineCount);
        content.lineCount = lineCount;
        return content;
    }
    LineWalker walker(text);
    QByteArrayView lines[3];
    for (qsizetype i = 0; i < lineCount; i += 3) {
        walker.next(lines[0]);
        walker.next(lines[1]);
        walker.next(lines[2]);
        TabDay day;
        std::optional<TabSkippedDay> bad;
        day.day = usDate(lines[0]);
        if (!day.day.isValid())
            bad = TabSkippedDay{static_cast<int>(i + 1), lineText(lines[0]), TabSkippedDay::Cause::Date};
        for (int k : {1, 2})
            if (!bad && !byteCount(lines[k], k == 1 ? day.received : day.send))
                bad = TabSkippedDay{static_cast<int>(i + k + 1), lineText(lines[k]), TabSkippedDay::Cause::ByteCount};
        if (!bad) {
            content.days << day;
        } else {
            if (content.skipped.size() < kLoggedSkippedDays)
                content.skipped << *bad;
            ++content.skippedDays;
        }
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
