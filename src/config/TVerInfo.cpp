#include "config/TVerInfo.h"

#include "config/IniDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <iterator>
#include <optional>

namespace {

constexpr const char* kKeys[] = {
    "CompanyName",     "FileDescription", "FileVersion", "InternalName",
    "LegalCopyright",  "LegalTrademarks", "OriginalFilename", "ProductName",
    "ProductVersion",  "Comments",        "SpecialBuild",
};
static_assert(std::size(kKeys) == 11, "one key per text field, in field order");

bool isRunningExecutable(const QString& path)
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return !self.isEmpty() && QFileInfo(path).canonicalFilePath() == self;
}

// A resource has at least one block; any other file has none ("size 0").
bool hasBlocks(const QByteArray& data)
{
    for (const QByteArray& line : data.split('\n'))
        if (line.trimmed().startsWith('['))
            return true;
    return false;
}

// The value at a path such as "\StringFileInfo\040704E4\ProductName".
std::optional<QString> query(const IniDocument& doc, const QString& path)
{
    const qsizetype split = path.lastIndexOf(QLatin1Char('\\'));
    if (!path.startsWith(QLatin1Char('\\')) || split <= 0)
        return std::nullopt;
    const QByteArray block = path.mid(1, split - 1).toUtf8();
    const QByteArray key = path.mid(split + 1).toUtf8();
    const std::optional<QByteArray> value = doc.value(block, key);
    if (!value)
        return std::nullopt;
    return QString::fromUtf8(*value);
}

// First Translation entry: language and code page as 16-bit hex words.
std::optional<std::pair<quint16, quint16>> firstTranslation(const IniDocument& doc)
{
    const std::optional<QString> value = query(doc, QStringLiteral("\\VarFileInfo\\Translation"));
    if (!value)
        return std::nullopt;
    const QStringList words = value->split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return std::nullopt;
    bool okLanguage = false;
    bool okCodePage = false;
    const uint language = words[0].toUInt(&okLanguage, 16);
    const uint codePage = words[1].toUInt(&okCodePage, 16);
    if (!okLanguage || !okCodePage || language > 0xFFFF || codePage > 0xFFFF)
        return std::nullopt;
    return std::pair{static_cast<quint16>(language), static_cast<quint16>(codePage)};
}

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TVerInfo::TVerInfo()
    : m_updateInfo(kUpdateInfoSize)
{
}

void TVerInfo::setUpdateInfo(int index, const QString& text)
{
    if (index >= 0 && index < kUpdateInfoSize)
        m_updateInfo[index] = text;
}

QString TVerInfo::ownResourcePath() { return QStringLiteral(":/version/netzpegel.ver"); }

bool TVerInfo::Lesen(const QString& fileName)
{
    QString path = fileName;
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        path = QCoreApplication::applicationFilePath();
    if (isRunningExecutable(path))
        path = ownResourcePath();

    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return readResource(data);
}

bool TVerInfo::readResource(const QByteArray& data)
{
    if (!hasBlocks(data))
        return false;
    const IniDocument doc = IniDocument::parse(data);

    // Without a Translation entry no string table can be named: every query fails.
    const auto translation = firstTranslation(doc);
    const QString table = translation
        ? QStringLiteral("\\StringFileInfo\\") + hex4(translation->first) + hex4(translation->second)
        : QString();
    for (size_t i = 0; i < m_texts.size(); ++i) {
        std::optional<QString> value;
        if (translation)
            value = query(doc, table + QLatin1Char('\\') + QLatin1String(kKeys[i]));
        m_texts[i] = value.value_or(QString());
    }
    return true;
}

QString TVerInfo::windowCaption() const
{
    return windowCaption(ProductName(), FileVersion(), Comments(), SpecialBuild());
}

QString TVerInfo::windowCaption(const QString& productName, const QString& fileVersion,
                                const QString& comments, const QString& specialBuild)
{
    QString caption = productName + QStringLiteral(" (") + fileVersion + QLatin1Char(')');
    if (!comments.isEmpty())
        caption += QLatin1Char(' ') + comments;
    if (!specialBuild.isEmpty())
        caption += QLatin1Char(' ') + specialBuild;
    return caption;
}
