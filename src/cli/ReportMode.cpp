#include "cli/ReportMode.h"

#include "acquisition/NetlinkInterfaceTable.h"
#include "base/SystemClock.h"
#include "cli/CentralAccess.h"
#include "cli/CentralHostCopy.h"
#include "cli/ProgramFiles.h"
#include "reports/BerichtRun.h"
#include "reports/BerichtSink.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/TrafficStatements.h"

#include <QFileInfo>

namespace {

// Log lines as they come; progress is for the window's bars.
class LineSink : public BerichtSink
{
public:
    void log(const QString& line) override { lines << line; }
    void adapterProgress(int, int) override {}
    void overallProgress(int, int) override {}
    QStringList lines;
};

} // namespace

int runReport(const QStringList& given, QTextStream& out, QTextStream& err)
{
    QStringList arguments = given;
    QString host;
    if (const qsizetype at = arguments.indexOf(QLatin1String("--host")); at >= 0) {
        host = arguments.value(at + 1);
        if (host.isEmpty()) {
            err << "netzpegel --report: --host wants a host's id or name\n";
            return 1;
        }
        arguments.remove(at, 2);
    }
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].startsWith(QLatin1String("--")))) {
        err << "netzpegel --report: unexpected '" << arguments.last() << "'\n";
        return 1;
    }
    ProgramFiles files;
    QString error;
    if (!files.load(error)) {
        err << "netzpegel --report: " << error << '\n';
        return 1;
    }
    const int unit = files.berichte.comboBoxIndex;
    const QStringList& units = files.base == 1000 ? files.sprache.units1000() : files.sprache.units1024();
    if (unit < 0 || unit >= units.size()) {
        err << "netzpegel --report: the saved report unit " << unit << " is none of 0 to " << units.size() - 1 << '\n';
        return 1;
    }
    BerichtOptions options = berichtOptions(files.berichte, files.base, reportUnitName(files.sprache, files.base, unit));
    if (!arguments.isEmpty())
        options.path = arguments[0];
    if (!options.path.isEmpty())
        options.path = QFileInfo(options.path).absoluteFilePath();

    LineSink sink;
    bool written = false;
    try {
        if (!host.isEmpty()) {
            // Another machine's days: every adapter it sent is reported.
            QString connection;
            CentralHostCopy copy;
            if (!CentralAccess::connectionString(files, connection, error) || !copy.load(connection, host, error)) {
                err << "netzpegel --report: " << error << '\n';
                return 1;
            }
            std::vector<BerichtAdapter> adapters;
            for (const ProgramEntry& e : copy.adapters())
                adapters.push_back({e.name.isEmpty() ? e.index : e.name, e.index, true});
            out << "host " << copy.hostName() << " (" << copy.hostId() << ")\n";
            written = runBericht(copy.database(), adapters, options, files.sprache, SystemClock::instance(), sink);
        } else {
            const std::unique_ptr<Database> db = ProgramFiles::openDatabase();
            NetlinkInterfaceTable interfaces;
            std::vector<ProgramEntry> entries;
            if (!programEntries(interfaces, files, entries)) {
                err << "netzpegel --report: the interface table cannot be read\n";
                return 1;
            }
            std::vector<BerichtAdapter> adapters;
            for (const ProgramEntry& e : entries) {
                // An adapter the window has not provisioned yet has no report flag: it has no days either.
                if (!db->userTables().contains(TrafficStatements::settingsTableName(e.index)))
                    continue;
                const DbRow settings = TrafficStatements::readSettings(*db, e.index);
                adapters.push_back({e.name, e.index, settings.toInt64(QStringLiteral("bericht")) != 0});
            }
            written = runBericht(*db, adapters, options, files.sprache, SystemClock::instance(), sink);
        }
    } catch (const DatabaseError& e) {
        sink.lines << e.message();
    }
    for (qsizetype i = 0; i < sink.lines.size(); ++i) {
        if (!written && i == sink.lines.size() - 1)
            err << "netzpegel --report: " << sink.lines[i] << '\n';
        else
            out << sink.lines[i] << '\n';
    }
    return written ? 0 : 1;
}
