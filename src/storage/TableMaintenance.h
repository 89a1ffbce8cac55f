#pragma once

#include "config/DetailText.h"
#include "storage/TabFile.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Database;

// The commands of the database tab, in the order of its command list.
enum class TableCommand { Delete = 0, Copy = 1, Move = 2, Export = 3, Import = 4 };

// Progress of a running operation: `done` of `total` steps. Returning false
// stops the operation, which then changes nothing.
using MaintenanceProgress = std::function<bool(qint64 done, qint64 total)>;

struct MaintenanceResult
{
    bool ok = false;
    // A refusal with a message of its own (section "Errors"): "Error28" for the
    // table "db", "Error20" for a table onto itself. Empty otherwise: the
    // command's own failure message applies.
    QString refusalKey;
    QString detail;                // why it failed, in English (command line, log); empty on success
    QString detailKey;             // the same as a text of section "Details"; empty for an engine's own text
    QStringList detailArgs;
    qint64 days = 0;               // days deleted, merged, written or read in
    QList<TabSkippedDay> skipped;  // import: the first days whose date line is no date
    qint64 skippedDays = 0;        // import: all of them
};

// Why it failed as the window shows it: the language text, or the engine's own.
DetailText failureDetail(const MaintenanceResult& result);

// The table that holds the database version ("db", in any case of its letters).
bool isVersionTable(const QString& name);

// Why `command` may not run with these table names, found before any statement
// runs; nothing when it may. `source` is ignored by an import except that "db"
// is refused there too; `destination` matters to copy, move and import.
std::optional<MaintenanceResult> refuseTableNames(TableCommand command, const QString& source,
                                                  const QString& destination);

// The operations. Each runs in one transaction on `db`: a failure, a refusal
// or a stop changes nothing in the database. None of them throws.

// Drops any table but "db", settings tables included.
MaintenanceResult Table_Delete(Database& db, const QString& name);
// Merges the days of traffic table `source` into `destination` (created when
// missing): a day on both sides gets the sum, a day only in the source is
// added, the destination's other days stay as they are.
MaintenanceResult Table_Copy(Database& db, const QString& source, const QString& destination,
                             const MaintenanceProgress& progress = {});
// Table_Copy, then drops `source`; the drop failing undoes the copy too.
MaintenanceResult Table_Move(Database& db, const QString& source, const QString& destination,
                             const MaintenanceProgress& progress = {});
// Writes the days of traffic table `name` to `file` (exactly that name; see
// exportFileName), replacing it only once it is complete.
MaintenanceResult Table_Export(Database& db, const QString& name, const QString& file,
                               const MaintenanceProgress& progress = {});
// Merges the days of table file `file` into traffic table `name` (created when
// missing), as Table_Copy does. Days whose date line is no date are logged and
// skipped; a file that cannot be read as a whole changes nothing.
MaintenanceResult Table_Import(Database& db, const QString& name, const QString& file,
                               const MaintenanceProgress& progress = {});

// One command as the database tab or the command line gives it.
struct TableRequest
{
    TableCommand command = TableCommand::Delete;
    QString source;
    QString destination;
    QString file; // export: the file to write; import: the file to read
};

MaintenanceResult runTableRequest(Database& db, const TableRequest& request,
                                  const MaintenanceProgress& progress = {});

// Files larger than this are refused by an import (a ten-year file is about 100 KB).
constexpr qint64 kMaxTabFileBytes = 64 * 1024 * 1024;
