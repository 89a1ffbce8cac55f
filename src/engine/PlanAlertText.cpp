#include "engine/PlanAlertText.h"

#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "engine/PlanMonitor.h"

#include <QLocale>

namespace {

const QString kSection = QStringLiteral("Tarife");

QString percentText(double percent)
{
    return QLocale().toString(percent, 'f', 0) + QStringLiteral(" %");
}

QString bytesText(uint64_t bytes, const TSprache& sprache, int base)
{
    return FormatQuantity(static_cast<long double>(bytes), base, sprache);
}

QString dayText(const QDate& day)
{
    return QLocale().toString(day, QLocale::ShortFormat);
}

} // namespace

QString planAlertSummary(const PlanAlert& alert, const TSprache& sprache)
{
    return sprache.text(kSection, QStringLiteral("Meldung_Titel"))
        .arg(alert.usage.name.isEmpty() ? alert.usage.table : alert.usage.name)
        .arg(alert.level);
}

QString planAlertBody(const PlanAlert& alert, const TSprache& sprache, int base)
{
    const PlanUsage& u = alert.usage;
    return sprache.text(kSection, QStringLiteral("Meldung_Text"))
        .arg(bytesText(u.used, sprache, base), bytesText(u.limit, sprache, base), percentText(u.percent),
             dayText(u.period.start), dayText(u.period.end), bytesText(u.projected, sprache, base));
}

QString planUsageLine(const PlanUsage& u, const TSprache& sprache, int base)
{
    return sprache.text(kSection, QStringLiteral("Stand"))
        .arg(bytesText(u.used, sprache, base), bytesText(u.limit, sprache, base), percentText(u.percent),
             bytesText(u.projected, sprache, base), dayText(u.period.end));
}
