#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --plan [TABLE|NAME] [--json]: each data plan's current period, use, limit, percent
// and projection; the stored days plus today's running totals of the counter cache.
int runPlan(const QStringList& arguments, QTextStream& out, QTextStream& err);

// netzpegel --alert [TABLE|NAME]: for cron and scripts. Exit code 0 below every warning level,
// 2 when a warning level is reached, 3 at or above the limit, 1 on an error; prints the plans
// that reached a level.
int runAlert(const QStringList& arguments, QTextStream& out, QTextStream& err);
