#include "reports/BerichtOptions.h"

#include "config/Settings.h"
#include "config/TSprache.h"

#include <algorithm>

int ownRangeDay(const QString& text, int fallback)
{
    bool ok = false;
    const int day = text.trimmed().toInt(&ok);
    return std::clamp(ok ? day : fallback, 1, 28);
}

QString reportUnitName(const TSprache& sprache, int base, int index)
{
    return (base == 1000 ? sprache.units1000() : sprache.units1024()).value(index);
}

BerichtOptions berichtOptions(const Berichte& saved, int base, const QString& unitText)
{
    BerichtOptions o;
    o.unitIndex = saved.comboBoxIndex;
    o.unitText = unitText;
    o.base = base;
    o.tagesbericht = saved.tagesbericht;
    o.monatsbericht = saved.monatsbericht;
    o.eigenerbericht = saved.eigenerbericht;
    o.jahresbericht = saved.jahresbericht;
    o.fromDay = ownRangeDay(saved.eigenerberichtVon, 1);
    o.toDay = ownRangeDay(saved.eigenerberichtBis, 28);
    o.path = saved.pfad;
    return o;
}
