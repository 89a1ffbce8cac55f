#include "cli/TableExchangeCommands.h"

#include "config/TVerInfo.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/TableMaintenance.h"

namespace {

// An existing database only: a folder without one is most likely the wrong folder.
Database::Options connectionOptions(bool readOnly)
{
    Database::Options options;
    options.readOnly = readOnly;
    options.layDownShippedIfMissing = false;
    return options;
}

int failed(QTextStream& err, const QString& what, const MaintenanceResult& result)
{
    err << "netzpegel: " << what << " failed: " << result.detail << '\n';
    return 1;
}

} // namespace

int runExportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 2) {
        err << "netzpegel: --export needs a table and a file: netzpegel --export TABLE FILE\n";
        return 1;
    }
    TableRequest request;
    request.command = TableCommand::Export;
    request.source = arguments[0];
    request.file = arguments[1];
    Database db(Database::programDatabasePath(), connectionOptions(true));
    const MaintenanceResult result = runTableRequest(db, request);
    if (!result.ok)
        return failed(err, QStringLiteral("the export of table \"%1\"").arg(request.source), result);
    out << result.days << " days of table \"" << request.source << "\" written to " << request.file << '\n';
    return 0;
}

int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 2) {
        err << "netzpegel: --import needs a file and a table: netzpegel --import FILE TABLE\n";
        return 1;
    }
    TableRequest request;
    request.command = TableCommand::Import;
    request.file = arguments[0];
    request.destination = arguments[1];
    // Skipped days go to the exception log, as they do from the window.
    TVerInfo info;
    if (info.Lesen(TVerInfo::ownResourcePath()))
        setLogVersionTexts({info.FileVersion(), info.ProductVersion(), info.Comments()});
    Database db(Database::programDatabasePath(), connectionOptions(false));
    const MaintenanceResult result = runTableRequest(db, request);
    clearLogVersionTexts();
    if (!result.ok)
        return failed(err, QStringLiteral("the import of %1").arg(request.file), result);
    for (qsizetype i = 0; i < result.skipped.size() && i < kLoggedSkippedDays; ++i)
        err << "netzpegel: line " << result.skipped[i].line << " of " << request.file << " ('"
            << result.skipped[i].text << "') is no "
            << (result.skipped[i].cause == TabSkippedDay::Cause::Date ? "date" : "byte count")
            << "; that day was skipped\n";
    if (result.skippedDays > kLoggedSkippedDays)
        err << "netzpegel: " << result.skippedDays - kLoggedSkippedDays
            << " more days were skipped: a date or a value of each could not be read\n";
    out << result.days << " days of " << request.file << " added to table \"" << request.destination << "\"\n";
    return 0;
}
