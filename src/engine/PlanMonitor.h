#pragma once

#include "engine/PlanUsage.h"

#include <QDateTime>
#include <QString>
#include <vector>

class Database;
class TNic;

// A level a plan has just crossed in its current period.
struct PlanAlert
{
    PlanUsage usage;
    int level = 0;
    QString befehl;
};

// The data plans of the counted entries. Keeps each period's stored sum, so the minute's check
// adds only the running totals instead of reading the tables again; the sums are read again
// when a period begins and after days were booked.
class PlanMonitor
{
public:
    // Takes the plans of the settings file at `path` whose table is one of `v`'s entries; a plan
    // for a table without an entry is left out with a log line.
    void load(const std::vector<TNic*>& v, Database& db, const QDateTime& now, const QString& path = {});
    // The stored sums again, after bookings.
    void refreshStored(Database& db);
    // Levels reached and not yet alerted in their period. Each is remembered in the settings
    // file before it is returned, so that it alerts once per period, across restarts.
    std::vector<PlanAlert> check(const QDateTime& now, const QDate& tagesdatum, Database& db);
    // Every plan's usage now, in the order of the entries.
    std::vector<PlanUsage> usages(const QDateTime& now, const QDate& tagesdatum) const;
    // The plan of `table`; nullptr when it has none.
    const DataPlan* plan(const QString& table) const;
    bool empty() const { return m_plans.empty(); }

private:
    struct Tracked
    {
        DataPlan plan;
        const TNic* entry = nullptr;
        PlanPeriod period;
        qint64 startMs = 0; // the period's bounds in local time, kept: converting is the slow part
        qint64 endMs = 0;
        PlanStored stored;
        bool storedValid = false;
    };
    static void setPeriod(Tracked& t, const PlanPeriod& period);
    void readStored(Tracked& t, Database& db);
    PlanUsage usageOf(const Tracked& t, const QDateTime& now, qint64 nowMs, const QDate& tagesdatum) const;

    std::vector<Tracked> m_plans;
    QString m_path;
};
