#pragma once

#include <QString>

class TSprache;
struct PlanAlert;
struct PlanUsage;

// The texts of a crossed level: a short summary and the body with use, limit, period and
// projection, in the user's language and unit base.
QString planAlertSummary(const PlanAlert& alert, const TSprache& sprache);
QString planAlertBody(const PlanAlert& alert, const TSprache& sprache, int base);
// "1,20 GB / 5,00 GB (24 %)" and the projection, as the live page shows a plan.
QString planUsageLine(const PlanUsage& usage, const TSprache& sprache, int base);
