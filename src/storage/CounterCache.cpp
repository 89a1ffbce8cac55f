#include "storage/CounterCache.h"

#include "acquisition/TNic.h"
#include "config/FileReplace.h"
#include "storage/DayNumber.h"
#include "storage/PendingBookings.h"

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

int peek(const QString& path, qsizetype entries, Contents& out)
{
    out = Contents();
    QFile f(path);
    if (!f.exists() || QFileInfo(path).isDir())
        return NoFile;
    if (!f.open(QIODevice::ReadOnly))
        return Unreadable;
    const QByteArray text = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return Unreadable;
    return parse(text, entries, out);
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
    // Groups are matched to entries by order; surplus lines are left alone.
    for (qsizetype k = 0; k < entries; ++k) {
        Contents::Totals totals;
        if (!toTotal(locale, lines[2 + 3 * k], totals.send) || !toTotal(locale, lines[3 + 3 * k], totals.received))
            return Unreadable;
        out.groups.push_back(totals);
    }
    return Restored;
}

namespace {

// Puts what was read into the entries, or books it under its day when that day is over.
int take(int result, const Contents& contents, const std::vector<TNic*>& v, const QDate& today,
         PendingBookings& pending, QDate* fileDay)
{
    if (fileDay && contents.day.isValid())
        *fileDay = contents.day;
    const QDate day = contents.day;
    for (size_t k = 0; k < contents.groups.size(); ++k) {
        const long double send = contents.groups[k].send;
        const long double received = contents.groups[k].received;
        TNic* nic = v[k];
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
            nic->set_gesamt_received(0);
            nic->set_gesamt_send(0);
        }
    }
    return result;
}

} // namespace

int read(const QString& path, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
         QDate* fileDay)
{
    Contents contents;
    const int result = peek(path, static_cast<qsizetype>(v.size()), contents);
    return take(result, contents, v, today, pending, fileDay);
}

int restore(const QByteArray& text, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
            QDate* fileDay)
{
    Contents contents;
    const int result = parse(text, static_cast<qsizetype>(v.size()), contents);
    return take(result, contents, v, today, pending, fileDay);
}

QString backupPath(const QString& folder, const QString& cacheName, const QDate& today)
{
    QString date = QLocale().toString(today, QLocale::ShortFormat);
    date.replace(QLatin1Char('/'), QLatin1Char('-'));
    return folder + QStringLiteral("backup_") + date + QLatin1Char('_') + cacheName;
}

} // namespace CounterCache
