#include "cli/SyncMode.h"

#include "acquisition/NetlinkInterfaceTable.h"
#include "base/MachineIdentity.h"
#include "base/ProgramFolder.h"
#include "base/SystemClock.h"
#include "cli/CachedTotals.h"
#include "cli/CentralAccess.h"
#include "cli/ProgramFiles.h"
#include "config/IniFile.h"
#include "engine/CentralUpload.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"

#include <QFile>

namespace {

// The first day still owed in the pending file of a monitor: its booking may yet change that
// day's row, so it stays owed to the central database too.
QDate firstPendingDay()
{
    QString cacheName;
    try {
        cacheName = IniReadString(QStringLiteral("Variablen"), QStringLiteral("CacheDateiname"), variablesFilePath());
    } catch (const IniError&) {
    }
    QFile f(programFile((cacheName.isEmpty() ? QStringLiteral("netzpegel") : cacheName) + QStringLiteral(".pending")));
    QDate first;
    if (!f.open(QIODevice::ReadOnly))
        return first;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        const QDate day = fields.size() >= 2 ? QDate::fromString(QString::fromLatin1(fields[1]), Qt::ISODate) : QDate();
        if (day.isValid() && (!first.isValid() || day < first))
            first = day;
    }
    return first;
}

} // namespace

int runSync(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool everyDay = false;
    for (const QString& arg : arguments) {
        if (arg != QLatin1String("--all")) {
            err << "netzpegel --sync: unexpected '" << arg << "'\n";
            return 1;
        }
        everyDay = true;
    }
    ProgramFiles files;
    QString error;
    QString connection;
    MachineIdentity machine;
    if (!files.load(error) || !CentralAccess::connectionString(files, connection, error)
        || !MachineIdentity::read(machine, error)) {
        err << "netzpegel --sync: " << error << '\n';
        return 1;
    }

    UploadRequest request;
    request.machine = machine;
    request.target = CentralUpload::targetKey(connection, machine.id);
    request.everyDay = everyDay;
    request.today = SystemClock::instance().today();
    NetlinkInterfaceTable interfaces;
    std::vector<ProgramEntry> entries;
    const bool listed = programEntries(interfaces, files, entries);
    for (const ProgramEntry& e : entries)
        request.adapters.push_back({e.index, e.name, e.mac});
    // Today's row as the running monitor last saved it; it stays owed, like a day whose
    // cache or pending booking a later start books.
    const CachedTotals cached = CachedTotals::read(listed ? &entries : nullptr, err);
    request.includeToday = true;
    if (cached.day == request.today)
        request.running = cached.byTable;
    request.completeThrough = request.today.addDays(-1);
    if (cached.day.isValid())
        request.completeThrough = std::min(request.completeThrough, cached.day.addDays(-1));
    if (const QDate pending = firstPendingDay(); pending.isValid())
        request.completeThrough = std::min(request.completeThrough, pending.addDays(-1));

    Database::Options options;
    options.layDownShippedIfMissing = false;
    Database local(Database::programDatabasePath(), options);
    PgConnection central(connection);
    CentralUpload upload(local, central);
    upload.setProgress([&](qint64 done, qint64 total) {
        out << "sent " << done << " of " << total << " days\n";
        out.flush();
    });
    UploadResult result;
    try {
        result = upload.run(request);
    } catch (const PgError& e) {
        err << "netzpegel --sync: " << CentralAccess::describe(e) << "; the days not sent stay owed\n";
        return 1;
    } catch (const DatabaseError& e) {
        err << "netzpegel --sync: " << e.message() << '\n';
        return 1;
    }
    out << result.rowsSent << " days sent to the central database, " << result.rowsChanged
        << " of them new or changed there\n";
    for (const QString& s : result.skipped)
        err << "netzpegel --sync: left out " << s << '\n';
    return result.skipped.isEmpty() ? 0 : 1;
}
