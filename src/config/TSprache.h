#pragma once

#include "config/IniDocument.h"

#include <QString>
#include <QStringList>

// The loaded language file: every user-visible text by section and key, and
// the unit names of both conversion bases. A missing file or key is the empty text.
class TSprache
{
public:
    TSprache();

    // Loads `fileName` from the program folder; false when the file exists but
    // cannot be read (every text is then empty).
    bool Laden(const QString& fileName);

    QString filePath() const { return m_path; }
    // Name of the language file to load, as the settings give it.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    QString text(const QString& section, const QString& key) const;
    QString error(const QString& key) const { return text(QStringLiteral("Errors"), key); }

    const QStringList& units1000() const { return m_units1000; }
    const QStringList& units1024() const { return m_units1024; }

private:
    IniDocument m_doc;
    QString m_path;
    QString m_fileName;
    QStringList m_units1000;
    QStringList m_units1024;
};
