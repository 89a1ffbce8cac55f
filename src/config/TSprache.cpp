#include "config/TSprache.h"

#include "config/IniDocument.h"
#include "config/LanguageKeys.h"
#include "base/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

constexpr qsizetype kMaxTextLength = 2047;

QString lookupKey(const QString& section, const QString& key)
{
    return section.trimmed().toLower() + QLatin1Char('\n') + key.trimmed().toLower();
}

// Files are UTF-8; a value that is not (an old file in the Windows code page)
// is taken as Windows-1252 rather than turned into replacement characters.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1252", QStringDecoder::Flag::Stateless);
    return ansi.isValid() ? QString(ansi.decode(bytes)) : QString::fromLatin1(bytes);
}

// Like the profile reader, a value in double quotes loses them, so a text can
// keep blanks at its ends ("Error10" is followed directly by an adapter id).
QString readText(const IniDocument& doc, const char* section, const char* key)
{
    QByteArray value = doc.value(section, key).value_or(QByteArray());
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return decode(value).left(kMaxTextLength);
}

ControlText controlText(const LanguageKey& k, const QString& text)
{
    const QString key = QString::fromLatin1(k.key);
    const qsizetype arrow = key.indexOf(QLatin1String("->"));
    ControlText c;
    c.section = QString::fromLatin1(k.section);
    c.key = key;
    c.control = k.target ? QString::fromLatin1(k.target) : key.left(arrow).trimmed();
    c.property = key.endsWith(QLatin1String("->Hint")) ? ControlText::Property::Hint
                                                       : ControlText::Property::Caption;
    c.text = text;
    return c;
}

const char* filterPattern(int n)
{
    switch (n) {
    case 1: return "*.tab";
    case 2: return "*.htm*";
    case 3: return "*.lan";
    case 4: return "*.chm";
    default: return nullptr;
    }
}

} // namespace

TSprache::TSprache()
    : m_units1000(9)
    , m_units1024(9)
{
}

bool TSprache::Laden(const QString& fileName)
{
    m_fileName = fileName;
    m_path = programFolder() + fileName;
    return LadenVon(m_path);
}

bool TSprache::LadenVon(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        take(IniDocument{});
        return true;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    loadText(data);
    return true;
}

void TSprache::loadText(const QByteArray& content)
{
    take(IniDocument::parse(content));
}

void TSprache::take(const IniDocument& doc)
{
    QHash<QString, QString> texts;
    QList<ControlText> controls;
    QList<ControlText> menus;
    QStringList gridHeaders;
    QStringList updateItems;
    QStringList searchTypeItems;
    QStringList befehlItems;
    QStringList units1000;
    QStringList units1024;

    for (const LanguageKey& k : languageKeys()) {
        const QString text = readText(doc, k.section, k.key);
        texts.insert(lookupKey(QString::fromLatin1(k.section), QString::fromLatin1(k.key)), text);
        switch (k.use) {
        case LanguageKeyUse::Kept: break;
        case LanguageKeyUse::Control: controls << controlText(k, text); break;
        case LanguageKeyUse::Menu: menus << controlText(k, text); break;
        case LanguageKeyUse::GridHeader: gridHeaders << text; break;
        case LanguageKeyUse::UpdateItem: updateItems << text; break;
        case LanguageKeyUse::SearchTypeItem: searchTypeItems << text; break;
        case LanguageKeyUse::BefehlItem: befehlItems << text; break;
        case LanguageKeyUse::Unit1000: units1000 << text; break;
        case LanguageKeyUse::Unit1024: units1024 << text; break;
        }
    }

    m_texts = std::move(texts);
    m_controls = std::move(controls);
    m_menus = std::move(menus);
    m_gridHeaders = std::move(gridHeaders);
    m_updateItems = std::move(updateItems);
    m_searchTypeItems = std::move(searchTypeItems);
    m_befehlItems = std::move(befehlItems);
    m_units1000 = std::move(units1000);
    m_units1024 = std::move(units1024);
}

QString TSprache::chosenFileName(const QString& pickedPath)
{
    return QFileInfo(pickedPath).fileName();
}

QString TSprache::text(const QString& section, const QString& key) const
{
    return m_texts.value(lookupKey(section, key));
}

QString TSprache::dfuName() const { return text(QStringLiteral("TabSheet1"), QStringLiteral("dfu")); }

QString TSprache::helpFileQuestion() const
{
    return text(QStringLiteral("TabSheet2"), QStringLiteral("Hilfedatei_laden_Abfrage->Message"));
}

GraphMenuTexts TSprache::graphMenuTexts() const
{
    const QString tab = QStringLiteral("TabSheet2");
    const QString graph = QStringLiteral("Graphenform");
    return GraphMenuTexts{
        text(graph, QStringLiteral("Vordergrund1")),
        text(graph, QStringLiteral("Transparenz1")),
        text(graph, QStringLiteral("Colors1->Caption")),
        text(tab, QStringLiteral("ForeColorButton->Caption")),
        text(tab, QStringLiteral("BackColorButton->Caption")),
        text(tab, QStringLiteral("SendColorButton->Caption")),
        text(tab, QStringLiteral("RecvColorButton->Caption")),
    };
}

QString TSprache::filterText(int n) const
{
    if (!filterPattern(n))
        return {};
    return text(QStringLiteral("Filters"), QStringLiteral("OpenDialogFilter%1").arg(n));
}

QString TSprache::dialogFilter(int n) const
{
    const char* pattern = filterPattern(n);
    if (!pattern)
        return {};
    const QString description = filterText(n);
    const QString patternText = QString::fromLatin1(pattern);
    return description.isEmpty() ? patternText
                                 : description + QStringLiteral(" (") + patternText + QLatin1Char(')');
}
