#pragma once

#include "reports/TrafficDays.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class LocaleTexts;
class TSprache;

// The lines of one XHTML report, written part by part in the order of a run.
// Texts from the language file and adapter names are escaped for XML.
class BerichtDocument
{
public:
    using Progress = std::function<void(int rowsRead)>;

    BerichtDocument(const TSprache& sprache, const LocaleTexts& texts, int base, const QString& unitText);

    void head();
    void adapterHeading(const QString& name, const QString& index);
    void dayTable(const std::vector<TrafficDay>& days, long double divisor, const Progress& progress);
    void monthTable(const std::vector<TrafficDay>& days, long double divisor, const Progress& progress);
    void ownRangeTable(const std::vector<TrafficDay>& days, long double divisor, int fromDay, int toDay);
    // Always in Gbyte: the divisor is the base to the power 3.
    void yearTable(const std::vector<TrafficDay>& days, const Progress& progress);
    void summary(const std::vector<TrafficDay>& days, const Progress& progress);
    void closing(const QDateTime& now);

    const QStringList& lines() const { return m_lines; }

    static QString escaped(const QString& text);

private:
    QString text(const char* key) const;
    void unitParagraph(const QString& unit, const char* averageKey);
    void periodHeaderRow(const char* firstKey, bool blankAfterFirst);

    const TSprache& m_sprache;
    const LocaleTexts& m_texts;
    int m_base;
    QString m_unitText;
    QStringList m_lines;
};
