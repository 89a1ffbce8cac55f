#include "engine/PlanUsage.h"

#include "storage/TrafficStatements.h"

#include <cmath>
#include <limits>

namespace {

uint64_t toBytes(long double value)
{
    if (!(value > 0))
        return 0;
    if (value >= static_cast<long double>(std::numeric_limits<uint64_t>::max()))
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(std::llroundl(value));
}

long double counted(PlanRichtung richtung, long double received, long double send)
{
    switch (richtung) {
    case PlanRichtung::Empfangen: return received;
    case PlanRichtung::Gesendet: return send;
    case PlanRichtung::Beide: break;
    }
    return received + send;
}

} // namespace

int PlanUsage::severity(const QList<int>& levels) const
{
    if (percent >= 100)
        return 2;
    return !levels.isEmpty() && percent >= levels.first() ? 1 : 0;
}

PlanStored storedForPeriod(Database& db, const QString& table, const PlanPeriod& period)
{
    const TrafficStatements::DaySums sums = TrafficStatements::sumRange(db, table, period.start, period.end);
    return {sums.received, sums.send};
}

PlanUsage planUsage(const DataPlan& plan, const PlanPeriod& period, const PlanStored& stored,
                    double unbookedReceived, double unbookedSent, const QDate& unbookedDay, double elapsed)
{
    PlanUsage u;
    u.table = plan.table;
    u.period = period;
    u.limit = plan.limit;
    long double used = counted(plan.richtung, stored.received, stored.send);
    if (period.contains(unbookedDay))
        used += counted(plan.richtung, unbookedReceived, unbookedSent);
    u.used = toBytes(used);
    u.percent = plan.limit > 0 ? static_cast<double>(used / static_cast<long double>(plan.limit) * 100) : 0;
    u.projected = elapsed > 0 ? toBytes(used / elapsed) : u.used;
    for (int level : plan.warnstufen)
        if (u.percent >= level)
            u.levelsReached << level;
    return u;
}
