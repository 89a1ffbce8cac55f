#include "storage/TableMaintenance.h"

#include "base/FileReplace.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/DayNumber.h"
#include "storage/SentWatermarks.h"
#include "storage/TrafficStatements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>

#include <stdexcept>

namespace {

// Thrown by a progress report that asks to stop; the transaction rolls back.
struct Stopped
{
};

void step(const MaintenanceProgress& progress, qint64 done, qint64 total)
{
    if (progress && !progress(done, total))
        throw Stopped();
}

// A table name in a message.
QString shown(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// The engine folds the case of ASCII letters in table names, and only of those.
bool sameTableName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// A reason of ours: its key in section "Details" and its English text.
DetailText reason(const char* key, const QString& english, const QStringList& args = {})
{
    return {QString::fromLatin1(key), args, fillDetail(english, args)};
}

MaintenanceResult failure(const DetailText& detail, const QString& refusalKey = {})
{
    MaintenanceResult r;
    r.refusalKey = refusalKey;
    r.detail = detail.english;
    r.detailKey = detail.key;
    r.detailArgs = detail.args;
    return r;
}

// Runs `body` and turns every way it can fail into a failed result.
template <class Body>
MaintenanceResult guarded(Body body)
{
    try {
        return body();
    } catch (const Stopped&) {
        return failure(reason("Stopped", QStringLiteral("stopped before it was done; nothing was changed")));
    } catch (const DetailError& e) {
        return failure(e.detail());
    } catch (const std::exception& e) {
        return failure({{}, {}, QString::fromUtf8(e.what())});   // the engine's own text
    } catch (...) {
        return failure(reason("Unexpected", QStringLiteral("unexpected failure")));
    }
}

// The days of traffic table `name`, as stored; throws for a row whose Datum is
// no day or whose values are no numbers.
QList<TabDay> readDays(Database& db, const QString& name, const MaintenanceProgress& progress)
{
    const QList<DbRow> rows = TrafficStatements::allDays(db, name);
    QList<TabDay> days;
    days.reserve(rows.size());
    for (const DbRow& row : rows) {
        TabDay d;
        d.day = TrafficStatements::dayOfRow(row);
        if (!d.day.isValid())
            throw DetailError(reason("RowNoDay", QStringLiteral("table %1 holds a row whose Datum '%2' is no day"),
                                     {shown(name), row.text(QStringLiteral("Datum"))}));
        d.received = row.toDouble(QStringLiteral("received"));
        d.send = row.toDouble(QStringLiteral("send"));
        days << d;
        step(progress, days.size(), rows.size());
    }
    return days;
}

// Adds `incoming` to traffic table `destination`, creating it when missing:
// one row per day, a day already there gets the sum (its first row does, when
// a fault left more than one). Runs inside the caller's transaction.
qint64 mergeDays(Database& db, const QString& destination, const QList<TabDay>& incoming,
                 const MaintenanceProgress& progress)
{
    QMap<QDate, TabDay> byDay; // a day given twice counts twice, in ascending order
    for (const TabDay& d : incoming) {
        TabDay& sum = byDay[d.day];
        sum.day = d.day;
        sum.received += d.received;
        sum.send += d.send;
    }
    TrafficStatements::createTrafficTableIfMissing(db, destination);
    struct Stored
    {
        qint64 rowId;
        DbRow row;
    };
    QHash<QString, Stored> stored; // by Datum text, first row of the day
    for (const DbRow& row : TrafficStatements::daysWithRowIds(db, destination)) {
        const QString datum = row.text(QStringLiteral("Datum"));
        if (!stored.contains(datum))
            stored.insert(datum, {row.toInt64(QStringLiteral("np_rowid")), row});
    }
    qint64 done = 0;
    for (const TabDay& d : byDay) {
        const auto found = stored.constFind(isoDate(d.day));
        if (found == stored.constEnd()) {
            TrafficStatements::insertDay(db, destination, d.day, d.received, d.send);
        } else {
            const DbRow& row = found->row;
            TrafficStatements::updateRow(db, destination, found->rowId,
                                         row.toDouble(QStringLiteral("received")) + d.received,
                                         row.toDouble(QStringLiteral("send")) + d.send);
        }
        step(progress, ++done, byDay.size());
    }
    // Days merged into the past are owed to a central database again, in the same transaction.
    if (!byDay.isEmpty())
        SentWatermarks::oweFrom(db, destination, byDay.firstKey());
    return byDay.size();
}

MaintenanceResult copyDays(Database& db, const QString& source, const QString& destination,
                           const MaintenanceProgress& progress, bool dropSource)
{
    return guarded([&] {
        Database::Transaction transaction(db);
        // Read inside the write transaction: a booking into the source cannot
        // slip in between the read and the drop of a move.
        const QList<TabDay> days = readDays(db, source, {});
        MaintenanceResult result;
        result.days = mergeDays(db, destination, days, progress);
        if (dropSource) {
            TrafficStatements::dropTable(db, source);
            SentWatermarks::forgetTable(db, source);
        }
        transaction.commit();
        result.ok = true;
        return result;
    });
}

// The database file or one of the engine's files beside it: an export there
// would replace the very data it reads.
bool isDatabaseFile(const Database& db, const QString& file)
{
    // Links resolved where the file exists; a missing one by its clean path.
    const auto whereItIs = [](const QString& path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    const QString target = whereItIs(file);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (target == whereItIs(db.filePath() + QLatin1String(suffix)))
            return true;
    return false;
}

// Replaces `file` only once all of `bytes` is written.
void writeWhole(const QString& file, const QByteArray& bytes)
{
    QString error;
    if (!replaceFile(file, bytes, false, &error))
        throw DetailError(reason("FileNotWritten", QStringLiteral("%1 cannot be written: %2"), {file, error}));
}

// Each skipped day is logged as the import of old did, but a file of
// thousands of them must not flood the log: the rest is counted.
void logSkippedDays(const QString& file, const QList<TabSkippedDay>& skipped, qint64 skippedDays)
{
    const QChar quote = QLatin1Char('"');
    const QString where = QStringLiteral("| Fehler aufgetreten in Function ") + quote
        + QStringLiteral("bool Table_Import (String Tabellenname, String Dateiname)") + quote
        + QStringLiteral(" , Struktur EncodeDate (StringDatum -> TDate)");
    const QString className = QStringLiteral("EConvertError");
    for (qsizetype i = 0; i < skipped.size() && i < kLoggedSkippedDays; ++i) {
        const TabSkippedDay& s = skipped[i];
        const QString what = s.cause == TabSkippedDay::Cause::Date ? QStringLiteral("'%1' is not a valid date (line %2 of %3)")
                                                                   : QStringLiteral("'%1' is no byte count (line %2 of %3)");
        LogException(what.arg(s.text, QString::number(s.line), file) + where, className);
    }
    if (skippedDays > kLoggedSkippedDays)
        LogException(QStringLiteral("%1 more days of %2 skipped: a date or a value of each could not be read")
                         .arg(QString::number(skippedDays - kLoggedSkippedDays), file) + where,
                     className);
}

} // namespace

bool isVersionTable(const QString& name) { return sameTableName(name, QStringLiteral("db")); }

std::optional<MaintenanceResult> refuseTableNames(TableCommand command, const QString& source,
                                                  const QString& destination)
{
    const bool intoDestination = command == TableCommand::Copy || command == TableCommand::Move
        || command == TableCommand::Import;
    const bool fromSource = command != TableCommand::Import;
    // The window shows a refusal's own message; these texts are for the command line.
    const QString versionTable = QStringLiteral("the table \"db\" holds the database version and cannot be changed");
    if (isVersionTable(source) || (intoDestination && isVersionTable(destination)))
        return failure({{}, {}, versionTable}, QStringLiteral("Error28"));
    if (fromSource && source.isEmpty())
        return failure(reason("NoTable", QStringLiteral("no table was chosen")));
    if (intoDestination && destination.isEmpty())
        return failure(reason("NoDestination", QStringLiteral("no destination table was given")));
    if ((command == TableCommand::Copy || command == TableCommand::Move) && sameTableName(source, destination))
        return failure({{}, {}, QStringLiteral("source and destination are the same table")}, QStringLiteral("Error20"));
    if (fromSource && command != TableCommand::Delete && TrafficStatements::isSettingsTable(source))
        return failure(reason("SourceIsSettings", QStringLiteral("%1 is a settings table: it holds no days"), {shown(source)}));
    if (intoDestination && TrafficStatements::isSettingsTable(destination))
        return failure(reason("DestinationIsSettings", QStringLiteral("%1 is a settings table name: it cannot take days"),
                              {shown(destination)}));
    return std::nullopt;
}

MaintenanceResult Table_Delete(Database& db, const QString& name)
{
    if (auto refused = refuseTableNames(TableCommand::Delete, name, {}))
        return *refused;
    return guarded([&] {
        Database::Transaction transaction(db);
        MaintenanceResult result;
        result.days = TrafficStatements::countRows(db, name);
        TrafficStatements::dropTable(db, name);
        SentWatermarks::forgetTable(db, name);
        transaction.commit();
        result.ok = true;
        return result;
    });
}

MaintenanceResult Table_Copy(Database& db, const QString& source, const QString& destination,
                             const MaintenanceProgress& progress)
{
    if (auto refused = refuseTableNames(TableCommand::Copy, source, destination))
        return *refused;
    return copyDays(db, source, destination, progress, false);
}

MaintenanceResult Table_Move(Database& db, const QString& source, const QString& destination,
                             const MaintenanceProgress& progress)
{
    if (auto refused = refuseTableNames(TableCommand::Move, source, destination))
        return *refused;
    return copyDays(db, source, destination, progress, true);
}

MaintenanceResult Table_Export(Database& db, const QString& name, const QString& file,
                               const MaintenanceProgress& progress)
{
    if (auto refused = refuseTableNames(TableCommand::Export, name, {}))
        return *refused;
    if (isDatabaseFile(db, file))
        return failure(reason("ExportOntoDatabase", QStringLiteral("%1 is the database itself: an export cannot replace it"),
                              {file}));
    return guarded([&] {
        const QList<TabDay> days = readDays(db, name, progress);
        writeWhole(file, formatTabFile(days));
        MaintenanceResult result;
        result.days = days.size();
        result.ok = true;
        return result;
    });
}

MaintenanceResult Table_Import(Database& db, const QString& name, const QString& file,
                               const MaintenanceProgress& progress)
{
    if (auto refused = refuseTableNames(TableCommand::Import, {}, name))
        return *refused;
    return guarded([&] {
        if (!QFileInfo(file).isFile())
            return failure(reason("NoFile", QStringLiteral("%1 is no file that can be read"), {file}));
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return failure(reason("FileNotRead", QStringLiteral("%1 cannot be read: %2"), {file, in.errorString()}));
        if (in.size() > kMaxTabFileBytes)
            return failure(reason("FileTooLarge", QStringLiteral("%1 is too large for a table file (%2 bytes)"),
                                  {file, QString::number(in.size())}));
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return failure(reason("FileNotRead", QStringLiteral("%1 cannot be read: %2"), {file, in.errorString()}));
        const TabFileContent content = parseTabFile(bytes);
        if (!content.ok)
            return failure(content.lineCount >= 0
                               ? reason("TabLines", QStringLiteral("%1: the file has %2 lines, not three for each day"),
                                        {file, QString::number(content.lineCount)})
                               : reason("TabNul", QStringLiteral("%1: the file holds a NUL byte: it is no table file"),
                                        {file}));
        logSkippedDays(file, content.skipped, content.skippedDays);

        Database::Transaction transaction(db);
        MaintenanceResult result;
        result.days = mergeDays(db, name, content.days, progress);
        transaction.commit();
        result.skipped = content.skipped;
        result.skippedDays = content.skippedDays;
        result.ok = true;
        return result;
    });
}

MaintenanceResult runTableRequest(Database& db, const TableRequest& request, const MaintenanceProgress& progress)
{
    if (auto refused = refuseTableNames(request.command, request.source, request.destination))
        return *refused;
    switch (request.command) {
    case TableCommand::Delete: return Table_Delete(db, request.source);
    case TableCommand::Copy: return Table_Copy(db, request.source, request.destination, progress);
    case TableCommand::Move: return Table_Move(db, request.source, request.destination, progress);
    case TableCommand::Export: return Table_Export(db, request.source, request.file, progress);
    case TableCommand::Import: return Table_Import(db, request.destination, request.file, progress);
    }
    return failure(reason("Unexpected", QStringLiteral("unknown command")));
}

DetailText failureDetail(const MaintenanceResult& result)
{
    return {result.detailKey, result.detailArgs, result.detail};
}
