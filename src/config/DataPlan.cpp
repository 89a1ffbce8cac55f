#include "config/DataPlan.h"

#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "config/IniDocument.h"
#include "config/IniFile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

const QString kSectionPrefix = QStringLiteral("Tarif_");

struct Named
{
    const char* text;
    int value;
};

constexpr Named kZeitraeume[] = {{"Tag", int(PlanZeitraum::Tag)},
                                 {"Woche", int(PlanZeitraum::Woche)},
                                 {"Monat", int(PlanZeitraum::Monat)},
                                 {"Tage", int(PlanZeitraum::Tage)}};
constexpr Named kRichtungen[] = {{"beide", int(PlanRichtung::Beide)},
                                 {"empfangen", int(PlanRichtung::Empfangen)},
                                 {"gesendet", int(PlanRichtung::Gesendet)}};

template <size_t N>
bool byName(const Named (&names)[N], const QString& text, int& out)
{
    for (const Named& n : names)
        if (text.trimmed().compare(QLatin1String(n.text), Qt::CaseInsensitive) == 0) {
            out = n.value;
            return true;
        }
    return false;
}

template <size_t N>
QString nameOf(const Named (&names)[N], int value)
{
    for (const Named& n : names)
        if (n.value == value)
            return QString::fromLatin1(n.text);
    return {};
}

bool wholeNumber(const QString& text, qint64 low, qint64 high, qint64& out)
{
    static const QRegularExpression digits(QStringLiteral("^\\s*[0-9]{1,19}\\s*$"));
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    const qulonglong value = text.trimmed().toULongLong(&ok);
    if (!ok || value > static_cast<qulonglong>(high) || static_cast<qint64>(value) < low)
        return false;
    out = static_cast<qint64>(value);
    return true;
}

// Ascending levels of 1 to 1000 percent, comma-separated, none twice.
bool parseLevels(const QString& text, QList<int>& levels)
{
    levels.clear();
    for (const QString& part : text.split(QLatin1Char(','))) {
        qint64 level = 0;
        if (!wholeNumber(part, 1, 1000, level) || (!levels.isEmpty() && level <= levels.last()))
            return false;
        levels << static_cast<int>(level);
    }
    return !levels.isEmpty();
}

QString levelsText(const QList<int>& levels)
{
    QStringList parts;
    for (int level : levels)
        parts << QString::number(level);
    return parts.join(QLatin1Char(','));
}

// "YYYY-MM-DD:80,90"; empty text is nothing alerted.
bool parseGemeldet(const QString& text, QDate& start, QList<int>& levels)
{
    start = {};
    levels.clear();
    if (text.trimmed().isEmpty())
        return true;
    const QString day = text.section(QLatin1Char(':'), 0, 0).trimmed();
    const QString list = text.section(QLatin1Char(':'), 1);
    start = QDate::fromString(day, Qt::ISODate);
    if (!start.isValid() || day.size() != 10 || text.count(QLatin1Char(':')) != 1
        || (!list.trimmed().isEmpty() && !parseLevels(list, levels))) {
        start = {};
        levels.clear();
        return false;
    }
    return true;
}

// A plan's keys as text, each from `value(key, default)`.
template <class Lookup>
DataPlanText readPlanKeys(const Lookup& value)
{
    DataPlanText t;
    t.limit = value("Limit", QStringLiteral("0"));
    t.zeitraum = value("Zeitraum", t.zeitraum);
    t.starttag = value("Starttag", t.starttag);
    t.beginn = value("Beginn", {});
    t.dauer = value("Dauer", {});
    t.richtung = value("Richtung", t.richtung);
    t.warnstufen = value("Warnstufen", t.warnstufen);
    t.befehl = value("Befehl", {});
    t.gemeldet = value("Gemeldet", {});
    return t;
}

} // namespace

QString parseDataPlan(const DataPlanText& text, const QDate& today, DataPlan& plan, bool* gemeldetIgnored)
{
    qint64 limit = 0;
    if (!wholeNumber(text.limit, 1, std::numeric_limits<qint64>::max(), limit))
        return QStringLiteral("Fehler_Grenze");
    plan.limit = static_cast<uint64_t>(limit);
    int zeitraum = 0;
    if (!byName(kZeitraeume, text.zeitraum, zeitraum))
        return QStringLiteral("Fehler_Zeitraum");
    plan.period.zeitraum = static_cast<PlanZeitraum>(zeitraum);
    qint64 starttag = 1;
    if (plan.period.zeitraum == PlanZeitraum::Monat && !wholeNumber(text.starttag, 1, 31, starttag))
        return QStringLiteral("Fehler_Starttag");
    plan.period.starttag = static_cast<int>(starttag);
    if (plan.period.zeitraum == PlanZeitraum::Tage) {
        plan.period.beginn = QDate::fromString(text.beginn.trimmed(), Qt::ISODate);
        if (!plan.period.beginn.isValid() || plan.period.beginn > today)
            return QStringLiteral("Fehler_Beginn");
        qint64 dauer = 0;
        if (!wholeNumber(text.dauer, 1, 1000, dauer))
            return QStringLiteral("Fehler_Dauer");
        plan.period.dauer = static_cast<int>(dauer);
    }
    int richtung = 0;
    if (!byName(kRichtungen, text.richtung, richtung))
        return QStringLiteral("Fehler_Richtung");
    plan.richtung = static_cast<PlanRichtung>(richtung);
    if (!parseLevels(text.warnstufen, plan.warnstufen))
        return QStringLiteral("Fehler_Warnstufen");
    plan.befehl = text.befehl.trimmed();
    const bool gemeldetRead = parseGemeldet(text.gemeldet, plan.gemeldetStart, plan.gemeldet);
    if (gemeldetIgnored)
        *gemeldetIgnored = !gemeldetRead;
    return {};
}

QString gemeldetText(const QDate& start, const QList<int>& levels)
{
    return start.isValid() ? start.toString(Qt::ISODate) + QLatin1Char(':') + levelsText(levels) : QString();
}

DataPlanText dataPlanText(const DataPlan& plan)
{
    DataPlanText t;
    t.limit = QString::number(plan.limit);
    t.zeitraum = nameOf(kZeitraeume, int(plan.period.zeitraum));
    t.starttag = QString::number(plan.period.starttag);
    t.beginn = plan.period.beginn.isValid() ? plan.period.beginn.toString(Qt::ISODate) : QString();
    t.dauer = QString::number(plan.period.dauer);
    t.richtung = nameOf(kRichtungen, int(plan.richtung));
    t.warnstufen = levelsText(plan.warnstufen);
    t.befehl = plan.befehl;
    t.gemeldet = gemeldetText(plan.gemeldetStart, plan.gemeldet);
    return t;
}

std::vector<DataPlan> readDataPlans(const QDate& today, const QString& path)
{
    std::vector<DataPlan> plans;
    QFile f(settingsFileOr(path));
    if (!f.exists())
        return plans;
    if (!f.open(QIODevice::ReadOnly)) {
        LogException(f.fileName() + QStringLiteral(": ") + f.errorString(), QStringLiteral("DataPlan"));
        return plans;
    }
    const IniDocument doc = IniDocument::parse(f.readAll());
    for (const QByteArray& section : doc.sections()) {
        const QString name = QString::fromUtf8(section);
        if (!name.startsWith(kSectionPrefix, Qt::CaseInsensitive) || name.size() == kSectionPrefix.size())
            continue;
        auto value = [&](const char* key, const QString& def) {
            const std::optional<QByteArray> v = doc.value(section, key);
            return v ? QString::fromUtf8(*v) : def;
        };
        const DataPlanText text = readPlanKeys(value);
        if (text.limit.trimmed() == QLatin1String("0"))
            continue; // switched off
        DataPlan plan;
        plan.table = name.mid(kSectionPrefix.size());
        bool gemeldetIgnored = false;
        const QString wrong = parseDataPlan(text, today, plan, &gemeldetIgnored);
        if (!wrong.isEmpty()) {
            LogException(QStringLiteral("[%1]: %2, the plan is left out").arg(name, wrong), QStringLiteral("DataPlan"));
            continue;
        }
        if (gemeldetIgnored)
            LogException(QStringLiteral("[%1] Gemeldet=%2 cannot be read; nothing counts as alerted")
                             .arg(name, text.gemeldet),
                         QStringLiteral("DataPlan"));
        plans.push_back(plan);
    }
    return plans;
}

DataPlanText readDataPlanText(const QString& table, const QString& path)
{
    const QString section = DataPlan::section(table);
    return readPlanKeys([&](const char* key, const QString& def) {
        const QString v = IniReadString(section, QString::fromLatin1(key), path);
        return v.isEmpty() ? def : v;
    });
}

namespace {

// Writes `values` into the plan's section in one go; false, with a log line, when the file
// cannot be written.
bool writePlanKeys(const QString& table, const QList<QPair<QString, QString>>& values, const QString& path)
{
    try {
        IniWriteStrings(DataPlan::section(table), values, path);
    } catch (const IniError& e) {
        LogException(e, QStringLiteral("DataPlan: "));
        return false;
    }
    return true;
}

} // namespace

bool writeDataPlan(const DataPlan& plan, const QString& path)
{
    const DataPlanText t = dataPlanText(plan);
    return writePlanKeys(plan.table,
                         {{QStringLiteral("Limit"), t.limit},
                          {QStringLiteral("Zeitraum"), t.zeitraum},
                          {QStringLiteral("Starttag"), t.starttag},
                          {QStringLiteral("Beginn"), t.beginn},
                          {QStringLiteral("Dauer"), t.dauer},
                          {QStringLiteral("Richtung"), t.richtung},
                          {QStringLiteral("Warnstufen"), t.warnstufen},
                          {QStringLiteral("Befehl"), t.befehl},
                          {QStringLiteral("Gemeldet"), t.gemeldet}},
                         path);
}

bool disableDataPlan(const QString& table, const QString& path)
{
    return writePlanKeys(table, {{QStringLiteral("Limit"), QStringLiteral("0")}}, path);
}

bool writeGemeldet(const DataPlan& plan, const QString& path)
{
    return writePlanKeys(plan.table, {{QStringLiteral("Gemeldet"), gemeldetText(plan.gemeldetStart, plan.gemeldet)}},
                         path);
}
