// Help pages: the page of each tab, the start page, a help folder that lost
// pages or never existed.
#include "base/ProgramFolder.h"
#include "desktop/Help.h"
#include "fakes/RecordingUrlOpener.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(HelpTopics, OnePagePerTab)
{
    const char* const pages[] = {"livedaten.htm", "einstellungen.htm", "statistiken.htm", "berichte.htm",
                                 "datenbank.htm"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(helpTopicForPage(i), QString::fromLatin1(pages[i]));
    EXPECT_EQ(helpTopicForPage(-1), QString());
    EXPECT_EQ(helpTopicForPage(5), QString());
}

TEST(Help, ShippedFoldersHoldEveryPageInBothLanguages)
{
    TempHome home;
    ASSERT_TRUE(layDownShippedFiles(home.folder()).isEmpty());
    for (const char* folder : {"Hilfe", "Help"}) {
        for (const char* page : {"index.htm", "livedaten.htm", "einstellungen.htm", "statistiken.htm", "berichte.htm",
                                 "datenbank.htm", "donate.htm"}) {
            const QByteArray html = home.read(QStringLiteral("%1/%2").arg(folder, page));
            EXPECT_TRUE(html.startsWith("<!DOCTYPE html>")) << folder << "/" << page;
            EXPECT_TRUE(html.contains("Netzpegel")) << folder << "/" << page;
        }
    }
    EXPECT_TRUE(home.read("Hilfe/index.htm").contains("lang=\"de\""));
    EXPECT_TRUE(home.read("Help/index.htm").contains("lang=\"en\""));
}

TEST(Help, OpensTheTopicOrTheStartPage)
{
    TempHome home;
    layDownShippedFiles(home.folder());
    RecordingUrlOpener opener;
    ASSERT_TRUE(OpenHelp(QStringLiteral("Help"), QStringLiteral("berichte.htm"), opener));
    ASSERT_TRUE(OpenHelp(QStringLiteral("Hilfe"), QString(), opener));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(home.file("Help/berichte.htm")));
    EXPECT_EQ(opener.opened[1], QUrl::fromLocalFile(home.file("Hilfe/index.htm")));
}

TEST(Help, AShippedFolderThatLostPagesGetsThemBack)
{
    TempHome home;
    layDownShippedFiles(home.folder());
    ASSERT_TRUE(QDir(home.file("Hilfe")).removeRecursively());
    home.write("Datenbank.mdb", "");
    QFile::remove(home.file("Datenbank.mdb"));
    RecordingUrlOpener opener;
    ASSERT_TRUE(OpenHelp(QStringLiteral("Hilfe"), QStringLiteral("datenbank.htm"), opener));
    EXPECT_EQ(opener.opened.value(0), QUrl::fromLocalFile(home.file("Hilfe/datenbank.htm")));
    EXPECT_FALSE(QFile::exists(home.file("Datenbank.mdb"))) << "only the help folder is laid down again";
}

TEST(Help, AFolderOfTheUsersOwnFallsBackToItsStartPage)
{
    TempHome home;
    QDir(home.folder()).mkpath(QStringLiteral("Eigene"));
    home.write("Eigene/index.htm", "<html></html>");
    RecordingUrlOpener opener;
    ASSERT_TRUE(OpenHelp(QStringLiteral("Eigene"), QStringLiteral("statistiken.htm"), opener));
    EXPECT_EQ(opener.opened.value(0), QUrl::fromLocalFile(home.file("Eigene/index.htm")));
}

TEST(Help, AMissingOrStrangeFolderOpensNothing)
{
    TempHome home;
    RecordingUrlOpener opener;
    for (const char* folder : {"Fehlt", "Hilfe.chm", "", ".."})
        EXPECT_FALSE(OpenHelp(QString::fromLatin1(folder), QStringLiteral("index.htm"), opener)) << folder;
    EXPECT_TRUE(opener.opened.isEmpty());
    // A path is taken by its last name only: help lives in the program folder.
    layDownShippedFiles(home.folder());
    ASSERT_TRUE(OpenHelp(QStringLiteral("/somewhere/else/Help"), QString(), opener));
    EXPECT_EQ(opener.opened.value(0), QUrl::fromLocalFile(home.file("Help/index.htm")));
}

} // namespace
