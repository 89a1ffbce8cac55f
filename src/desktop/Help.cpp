#include "desktop/Help.h"

#include "base/ProgramFolder.h"
#include "desktop/UrlOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString kStartPage = QStringLiteral("index.htm");

QString existingPage(const QString& folder, const QString& topic)
{
    for (const QString& page : {topic, kStartPage}) {
        if (page.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(page);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace

QString helpTopicForPage(int pageIndex)
{
    static const char* const topics[] = {"livedaten.htm", "einstellungen.htm", "statistiken.htm", "berichte.htm",
                                         "datenbank.htm"};
    if (pageIndex < 0 || pageIndex >= static_cast<int>(std::size(topics)))
        return {};
    return QString::fromLatin1(topics[pageIndex]);
}

QString helpPagePath(const QString& helpFolder, const QString& topic)
{
    // Only a name: a help folder lives in the program folder.
    const QString name = QFileInfo(helpFolder).fileName();
    if (name.isEmpty() || name == QLatin1String(".."))
        return {};
    const QString folder = programFolder() + name;
    QString page = existingPage(folder, topic);
    if (page.isEmpty() || (!topic.isEmpty() && !page.endsWith(QLatin1Char('/') + topic))) {
        layDownShippedFiles(programFolder(), name);
        page = existingPage(folder, topic);
    }
    return page;
}

bool OpenHelp(const QString& helpFolder, const QString& topic, UrlOpener& opener)
{
    const QString page = helpPagePath(helpFolder, topic);
    if (page.isEmpty())
        return false;
    opener.open(QUrl::fromLocalFile(page));
    return true;
}
