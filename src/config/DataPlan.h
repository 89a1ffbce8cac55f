#pragma once

#include "config/PlanPeriod.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// What of the traffic a plan counts.
enum class PlanRichtung { Beide, Empfangen, Gesendet };

// A data plan of one adapter: a limit of bytes per period, the levels that alert, and what was
// alerted in the current period. Lives in the settings file, section "Tarif_<table>".
struct DataPlan
{
    QString table;
    uint64_t limit = 0; // 0: no plan
    PlanPeriodRule period;
    PlanRichtung richtung = PlanRichtung::Beide;
    QList<int> warnstufen{80, 90, 100};
    QString befehl;
    // Levels alerted in the period that began on `gemeldetStart`.
    QDate gemeldetStart;
    QList<int> gemeldet;

    bool active() const { return limit > 0; }
    static QString section(const QString& table) { return QStringLiteral("Tarif_") + table; }
};

// One plan's keys as typed or stored; every value as text.
struct DataPlanText
{
    QString limit;
    QString zeitraum = QStringLiteral("Monat");
    QString starttag = QStringLiteral("1");
    QString beginn;
    QString dauer;
    QString richtung = QStringLiteral("beide");
    QString warnstufen = QStringLiteral("80,90,100");
    QString befehl;
    QString gemeldet;
};

// Reads a plan from its texts. Returns the language key of the first value that is wrong
// ("Error50"...), empty when the plan is sound; `today` refuses a beginning in the future.
// A wrong "Gemeldet" is not an error: it reads as nothing alerted, and `gemeldetIgnored` says so.
QString parseDataPlan(const DataPlanText& text, const QDate& today, DataPlan& plan, bool* gemeldetIgnored = nullptr);
DataPlanText dataPlanText(const DataPlan& plan);
QString gemeldetText(const QDate& start, const QList<int>& levels);

// The plans in the settings file at `path`, one per section "Tarif_<table>" whose limit is not
// 0. A plan with a wrong value is left out with one line in the failure log; so is a wrong
// "Gemeldet", which then counts as nothing alerted.
std::vector<DataPlan> readDataPlans(const QDate& today, const QString& path = {});
// The keys of one table's section as they stand (defaults for missing ones; limit "0" when it
// has none); for the settings page. Throws IniError when the file cannot be read.
DataPlanText readDataPlanText(const QString& table, const QString& path = {});
// Writes the plan's section (all keys at once); false when the file cannot be written.
bool writeDataPlan(const DataPlan& plan, const QString& path = {});
// Switches the plan of `table` off, keeping its other keys for the next time.
bool disableDataPlan(const QString& table, const QString& path = {});
// Writes only what was alerted, so that a restart in the same period does not alert again.
bool writeGemeldet(const DataPlan& plan, const QString& path = {});
