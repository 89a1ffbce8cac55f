#pragma once

#include "cli/ProgramFiles.h"

#include <QDate>
#include <QString>
#include <QTextStream>
#include <vector>

class Database;

// The traffic table `wanted` names: a table, "name (table)" as the statistics page lists it,
// or the name of an adapter of the window's list; `name` gets the adapter's name. Empty when
// none.
QString resolveTable(Database& db, const QString& wanted, const std::vector<ProgramEntry>& entries, QString& name);

// Today's running totals of `table` that the counter cache holds and no row has yet.
struct UnbookedTotals
{
    long double received = 0;
    long double sent = 0;
};
// Zero when the cache is not `today`'s or cannot be read; a cache that does not fit the
// adapters is said on `err`.
UnbookedTotals unbookedTotals(const QString& table, const QDate& today, const std::vector<ProgramEntry>& entries,
                              QTextStream& err);
