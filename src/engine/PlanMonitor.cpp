#include "engine/PlanMonitor.h"

#include "acquisition/TNic.h"
#include "base/ExceptionLog.h"
#include "storage/DatabaseError.h"

#include <algorithm>

void PlanMonitor::load(const std::vector<TNic*>& v, Database& db, const QDateTime& now, const QString& path)
{
    m_path = path;
    m_plans.clear();
    for (const DataPlan& plan : readDataPlans(now.date(), path)) {
        const auto entry = std::find_if(v.begin(), v.end(), [&](const TNic* n) { return n->Index == plan.table; });
        if (entry == v.end()) {
            LogException(QStringLiteral("[%1]: no adapter counts into this table; the plan is left out")
                             .arg(DataPlan::section(plan.table)),
                         QStringLiteral("DataPlan"));
            continue;
        }
        Tracked t;
        t.plan = plan;
        t.entry = *entry;
        setPeriod(t, planPeriod(plan.period, now.date()));
        readStored(t, db);
        m_plans.push_back(t);
    }
    // In the order the entries stand, as the grid shows them.
    std::stable_sort(m_plans.begin(), m_plans.end(), [&](const Tracked& a, const Tracked& b) {
        return std::find(v.begin(), v.end(), a.entry) < std::find(v.begin(), v.end(), b.entry);
    });
}

void PlanMonitor::setPeriod(Tracked& t, const PlanPeriod& period)
{
    t.period = period;
    t.startMs = QDateTime(period.start, QTime(0, 0)).toMSecsSinceEpoch();
    t.endMs = QDateTime(period.end.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
}

void PlanMonitor::readStored(Tracked& t, Database& db)
{
    try {
        t.stored = storedForPeriod(db, t.plan.table, t.period);
        t.storedValid = true;
    } catch (const DatabaseError& e) {
        // A locked or damaged table: the next minute tries again.
        t.storedValid = false;
        LogException(e.message(), QStringLiteral("DataPlan"));
    }
}

void PlanMonitor::refreshStored(Database& db)
{
    for (Tracked& t : m_plans)
        readStored(t, db);
}

PlanUsage PlanMonitor::usageOf(const Tracked& t, const QDateTime& now, qint64 nowMs, const QDate& tagesdatum) const
{
    // A period that began since the last check has no stored sum yet: until the check reads
    // it, its use is what is counted in it now.
    const PlanPeriod period = planPeriod(t.plan.period, now.date());
    const bool kept = period == t.period;
    const double elapsed = kept && t.endMs > t.startMs
        ? std::clamp(double(nowMs - t.startMs) / double(t.endMs - t.startMs), 0.0, 1.0)
        : period.elapsed(now);
    PlanUsage u = planUsage(t.plan, period, kept ? t.stored : PlanStored(),
                            static_cast<double>(t.entry->get_gesamt_received()),
                            static_cast<double>(t.entry->get_gesamt_send()), tagesdatum, elapsed);
    u.name = t.entry->Name;
    return u;
}

std::vector<PlanAlert> PlanMonitor::check(const QDateTime& now, const QDate& tagesdatum, Database& db)
{
    std::vector<PlanAlert> alerts;
    const qint64 nowMs = now.toMSecsSinceEpoch();
    for (Tracked& t : m_plans) {
        const PlanPeriod period = planPeriod(t.plan.period, now.date());
        if (!(period == t.period) || !t.storedValid) {
            setPeriod(t, period);
            readStored(t, db);
        }
        if (!t.storedValid)
            continue;
        const PlanUsage usage = usageOf(t, now, nowMs, tagesdatum);
        if (t.plan.gemeldetStart != t.period.start) {
            // A new period starts clean.
            t.plan.gemeldetStart = t.period.start;
            t.plan.gemeldet.clear();
        }
        QList<int> fresh;
        for (int level : usage.levelsReached)
            if (!t.plan.gemeldet.contains(level))
                fresh << level;
        if (fresh.isEmpty())
            continue;
        t.plan.gemeldet += fresh;
        std::sort(t.plan.gemeldet.begin(), t.plan.gemeldet.end());
        writeGemeldet(t.plan, m_path);
        for (int level : fresh)
            alerts.push_back({usage, level, t.plan.befehl});
    }
    return alerts;
}

std::vector<PlanUsage> PlanMonitor::usages(const QDateTime& now, const QDate& tagesdatum) const
{
    std::vector<PlanUsage> all;
    const qint64 nowMs = now.toMSecsSinceEpoch();
    for (const Tracked& t : m_plans)
        all.push_back(usageOf(t, now, nowMs, tagesdatum));
    return all;
}

const DataPlan* PlanMonitor::plan(const QString& table) const
{
    for (const Tracked& t : m_plans)
        if (t.plan.table == table)
            return &t.plan;
    return nullptr;
}
