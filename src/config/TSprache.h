#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class IniDocument;

// One caption or hint of a main-window control, as the language file gives it.
// `control` is the object name (the key's part before "->", without blanks).
struct ControlText
{
    enum class Property { Caption, Hint };

    QString section;
    QString key;
    QString control;
    Property property = Property::Caption;
    QString text;
};

// The captions of a graph window's context menu.
struct GraphMenuTexts
{
    QString vordergrund;
    QString transparenz;
    QString colors;
    QString foreColor;
    QString backColor;
    QString sendColor;
    QString recvColor;
};

// The loaded language file: every user-visible text by section and key, the
// control texts in the order they are to be applied, the combo-box items,
// the menu captions and the unit names of both conversion bases.
// A missing file or key is the empty text.
class TSprache
{
public:
    TSprache();

    // Loads `fileName` from the program folder and remembers it as the file
    // name to save. A missing file gives empty texts and true; a file that
    // exists but cannot be read gives false and changes no text.
    bool Laden(const QString& fileName);
    // Takes the texts of a language file's content, whatever it holds.
    void loadText(const QByteArray& content);
    // Loads the file at `path` (a resource too) and changes neither the name
    // to save nor the path. Same results as Laden.
    bool LadenVon(const QString& path);

    // The name to pass to Laden for a file the user picked anywhere: its
    // name only, so it is always looked for in the program folder.
    static QString chosenFileName(const QString& pickedPath);

    QString filePath() const { return m_path; }
    // Name of the language file to load, as the settings give it.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    // Any key the loader reads; sections and keys match without regard to
    // case and to surrounding blanks. Anything else is the empty text.
    QString text(const QString& section, const QString& key) const;
    QString error(const QString& key) const { return text(QStringLiteral("Errors"), key); }

    QString dfuName() const;
    QString helpFileQuestion() const;
    GraphMenuTexts graphMenuTexts() const;

    // Description of file-dialog filter 1 (table files), 2 (reports),
    // 3 (language files) or 4 (help); empty for any other number.
    QString filterText(int n) const;
    // The same with its pattern, as a Qt file dialog takes it: "text (*.lan)".
    QString dialogFilter(int n) const;

    // In reading order, the main-window controls' captions and hints.
    const QList<ControlText>& controlTexts() const { return m_controls; }
    // In reading order, the menu captions; `control` names the menu entry.
    const QList<ControlText>& menuTexts() const { return m_menus; }
    const QStringList& liveGridHeaders() const { return m_gridHeaders; }
    const QStringList& updateItems() const { return m_updateItems; }
    const QStringList& searchTypeItems() const { return m_searchTypeItems; }
    const QStringList& befehlItems() const { return m_befehlItems; }

    const QStringList& units1000() const { return m_units1000; }
    const QStringList& units1024() const { return m_units1024; }

private:
    void take(const IniDocument& doc);

    QString m_path;
    QString m_fileName;
    QHash<QString, QString> m_texts;
    QList<ControlText> m_controls;
    QList<ControlText> m_menus;
    QStringList m_gridHeaders;
    QStringList m_updateItems;
    QStringList m_searchTypeItems;
    QStringList m_befehlItems;
    QStringList m_units1000;
    QStringList m_units1024;
};
