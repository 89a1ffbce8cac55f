#pragma once

#include "config/DataPlan.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>

class Database;

// Where a plan stands in its current period.
struct PlanUsage
{
    QString table;
    QString name;
    PlanPeriod period;
    uint64_t used = 0;
    uint64_t limit = 0;
    double percent = 0;     // of the limit
    uint64_t projected = 0; // at the period's end, going on as so far
    QList<int> levelsReached;

    // The colour step of a bar: 0 below the first level, 1 from the first level, 2 at the limit.
    int severity(const QList<int>& levels) const;
};

// The stored days of a plan's period, in the direction it counts.
struct PlanStored
{
    double received = 0;
    double send = 0;
};

// Sums the stored days of `period` (one query); throws DatabaseError.
PlanStored storedForPeriod(Database& db, const QString& table, const PlanPeriod& period);

// The usage from the stored days of the period and the running totals not yet booked
// (counted only when the day they belong to lies in the period); `elapsed` is the part of the
// period that has passed (PlanPeriod::elapsed), for the projection.
PlanUsage planUsage(const DataPlan& plan, const PlanPeriod& period, const PlanStored& stored,
                    double unbookedReceived, double unbookedSent, const QDate& unbookedDay, double elapsed);
