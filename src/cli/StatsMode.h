#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --stats TABLE|NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json] [--host HOST]:
// the stored days of one adapter with totals and per-day averages, as the
// statistics page computes them; today's row with the counter cache's running
// totals when the cache is today's. With --host, the days another machine (id or
// name) sent to the central database.
int runStats(const QStringList& arguments, QTextStream& out, QTextStream& err);
