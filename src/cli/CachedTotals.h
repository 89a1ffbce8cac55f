#pragma once

#include "cli/ProgramFiles.h"
#include "engine/CentralUpload.h"

#include <QDate>
#include <QHash>
#include <QTextStream>

#include <vector>

// What the counter cache of a running (or crashed) monitor holds: the day it was written
// on, and the running totals of each traffic table, read without touching the file.
struct CachedTotals
{
    QDate day; // invalid when there is no readable cache
    QHash<QString, RunningTotals> byTable;

    // Reads the cache named in variables.conf. The counters file beside it names the adapter
    // of each group; without it the groups follow `entries`, the window's list (nullptr: the
    // list could not be made, only the day is read). A cache that fits neither is told on
    // `err` and gives its day alone.
    static CachedTotals read(const std::vector<ProgramEntry>* entries, QTextStream& err);
};
