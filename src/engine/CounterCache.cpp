#include "engine/CounterCache.h"

#include "acquisition/TNic.h"
#include "base/FileReplace.h"
#include "storage/DayNumber.h"
#include "engine/PendingBookings.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace CounterCache {

namespace {

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

QString number(const QLocale& locale, long double value)
{
    return locale.toString(static_cast<double>(value), 'g', 15);
}

bool toNumber(const QLocale& locale, const QByteArray& line, long double& out)
{
    bool ok = false;
    const double value = locale.toDouble(QString::fromUtf8(line).trimmed(), &ok);
    out = value;
    return ok;
}

// A total is a byte count: "nan", "inf" or a negative number would blank or
// shrink the stored day row once booked.
bool toTotal(const QLocale& locale, const QByteArray& line, long double& out)
{
    return toNumber(locale, line, out) && std::isfinite(out) && out >= 0;
}

// The totals of an adapter that has no entry now, booked under the file's day
// (there is no running total to restore them to), or owed when that fails.
void bookAbsent(const QString& index, const QDate& day, long double received, long double send,
                PendingBookings& pending, Database* database)
{
    if (pending.owes(index, day))
        return; // taken from these running totals later than this file
    if (database && bookOwed(database, index, index, day, received, send))
        return;
    pending.addAbsent(index, day, received, send);
}

} // namespace

QByteArray content(const std::vector<TNic*>& v, const QDate& today)
{
    const QLocale locale = numberLocale();
    QString text = number(locale, dayNumberOf(today)) + QStringLiteral("\r\n");
    for (size_t k = 0; k < v.size(); ++k) {
        text += QString::number(k) + QStringLiteral("\r\n");
        text += number(locale, v[k]->get_gesamt_send()) + QStringLiteral("\r\n");
        text += number(locale, v[k]->get_gesamt_received()) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

bool replace(const QString& path, const QByteArray& content)
{
    // An empty name makes the path the program folder: the cache is off, there is no file.
    const bool noFile = path.isEmpty() || QFileInfo(path).isDir();
    if (content.isEmpty())
        return noFile || !QFileInfo::exists(path) || QFile::remove(path);
    if (noFile)
        return false;
    return replaceFile(path, content);
}

bool write(const QString& path, const std::vector<TNic*>& v, const QDate& today, QByteArray* written)
{
    const QByteArray text = content(v, today);
    if (!replace(path, text))
        return false;
    if (written)
        *written = text;
    return true;
}

namespace {

// The file's text, or NoFile or Unreadable when there is none to read.
int readText(const QString& path, QByteArray& text)
{
    QFile f(path);
    if (!f.exists() || QFileInfo(path).isDir())
        return NoFile;
    if (!f.open(QIODevice::ReadOnly))
        return Unreadable;
    text = f.readAll();
    return f.error() == QFileDevice::NoError ? Restored : Unreadable;
}

} // namespace

int peek(const QString& path, qsizetype entries, Contents& out)
{
    out = Contents();
    QByteArray text;
    const int result = readText(path, text);
    return result == Restored ? parse(text, entries, out) : result;
}

int parse(const QByteArray& text, qsizetype entries, Contents& out)
{
    out = Contents();
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the last line break ends a line
    if ((lines.size() - 1) / 3 != entries)
        return DoesNotFit;
    if (lines.isEmpty())
        return Unreadable;

    const QLocale locale = numberLocale();
    long double storedDay = 0;
    if (!toNumber(locale, lines[0], storedDay))
        return Unreadable;
    out.day = dateOfDayNumber(static_cast<double>(storedDay));
    if (!out.day.isValid())
        return Unreadable;
    // Surplus lines are left alone.
    for (qsizetype k = 0; k < entries; ++k) {
        Contents::Totals totals;
        if (!toTotal(locale, lines[2 + 3 * k], totals.send) || !toTotal(locale, lines[3 + 3 * k], totals.received))
            return Unreadable;
        out.groups.push_back(totals);
    }
    return Restored;
}

int read(const QString& path, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
         QDate* fileDay, Owners* owners)
{
    QByteArray text;
    const int result = readText(path, text);
    return result == Restored ? restore(text, v, today, pending, fileDay, owners) : result;
}

int restore(const QByteArray& text, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
            QDate* fileDay, Owners* owners)
{
    Contents contents;
    bool byIndex = owners && !owners->indexes.isEmpty();
    int result = byIndex ? parse(text, owners->indexes.size(), contents) : DoesNotFit;
    if (result == DoesNotFit) {
        byIndex = false; // the names do not describe this file: groups go by order
        result = parse(text, static_cast<qsizetype>(v.size()), contents);
    }
    if (fileDay && contents.day.isValid())
        *fileDay = contents.day;
    const QDate day = contents.day;
    std::vector<bool> taken(v.size(), false);
    for (size_t k = 0; k < contents.groups.size(); ++k) {
        const long double send = contents.groups[k].send;
        const long double received = contents.groups[k].received;
        size_t at = k;
        if (byIndex) {
            const QString& index = owners->indexes[static_cast<qsizetype>(k)];
            at = 0;
            while (at < v.size() && (taken[at] || v[at]->Index != index))
                ++at;
            if (at == v.size()) {
                bookAbsent(index, day, received, send, pending, owners->database);
                ++owners->bookedAbsent;
                continue;
            }
        }
        taken[at] = true;
        TNic* nic = v[at];
        nic->set_gesamt_send(send);
        nic->set_gesamt_received(received);
        if (day != today) {
            // An amount owed for that day was taken from the same running totals
            // later than this file: it holds these bytes already.
            BookingFailure failure;
            if (!pending.owes(nic, day) && !nic->save_traffic(dayNumberOf(day), failure)) {
                pending.add(nic, day, received, send);
                pending.logFailure(*nic, day, failure);
            }
            nic->clearTotals();
        }
    }
    return result;
}

QString backupPath(const QString& folder, const QString& cacheName, const QDate& today)
{
    QString date = QLocale().toString(today, QLocale::ShortFormat);
    date.replace(QLatin1Char('/'), QLatin1Char('-'));
    return folder + QStringLiteral("backup_") + date + QLatin1Char('_') + cacheName;
}

} // namespace CounterCache
