// The update check, the download and the install step against a real HTTP
// server on 127.0.0.1.
#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "support/TempHome.h"
#include "support/UpdateSite.h"
#include "support/WaitFor.h"
#include "update/CheckForUpdates.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateHerunterladen.h"
#include "update/UpdateInstallieren.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// A download may come to 8 MiB and take 4 seconds here.
HttpOptions boundedOptions()
{
    HttpOptions t = UpdateSite::clientOptions();
    t.maxFileBytes = 8 * 1024 * 1024;
    t.fileTotalMs = 4000;
    return t;
}

const QDate kToday(2026, 12, 8);

class UpdateStepsTest : public ::testing::Test
{
protected:
    UpdateCheckOutcome check(const QString& installed, const QDate& lastCheck = kToday.addDays(-31))
    {
        return CheckForUpdates(http, {site.server.url("/version.txt"), installed, lastCheck, kToday});
    }
    UpdateDownloadOutcome download(const HttpProgress& progress = {}, const FreeSpace& freeSpace = freeSpaceOf)
    {
        return UpdateHerunterladen(http, site.server.url("/urls.txt"), home.folder(), progress, freeSpace);
    }
    QStringList programFiles() const { return QDir(home.folder()).entryList(QDir::Files); }

    TempHome home;
    UpdateSite site{home};
    CurlHttpClient http{boundedOptions()};
};

} // namespace

TEST_F(UpdateStepsTest, CheckComparesTheServersVersionWithTheInstalledOne)
{
    const struct
    {
        const char* server;
        int result;
    } cases[] = {{"2.0.0.57", UpdateCheckOutcome::Same},
                 {"2.0.1.58", UpdateCheckOutcome::Newer},
                 {"2.0.1.50", UpdateCheckOutcome::Newer},
                 {"2.1.0.3", UpdateCheckOutcome::Newer},
                 {"2.0.0.50", UpdateCheckOutcome::NotNewer},
                 {"1.9", UpdateCheckOutcome::NotNewer},
                 {"2.0.0.57\n", UpdateCheckOutcome::Same}};
    int requests = 0;
    for (const auto& c : cases) {
        site.setVersion(c.server);
        const UpdateCheckOutcome out = check(QStringLiteral("2.0.0.57"));
        EXPECT_EQ(out.result, c.result) << c.server;
        EXPECT_TRUE(out.fetched());
        EXPECT_EQ(out.serverVersion, QString::fromUtf8(c.server).trimmed());
        EXPECT_TRUE(out.failure.isEmpty());
        EXPECT_EQ(site.server.requestCount(), ++requests);
    }
}

TEST_F(UpdateStepsTest, CheckOnTheDayOfAnEarlierOneAsksNoServer)
{
    site.setVersion("9.9");
    EXPECT_EQ(check(QStringLiteral("1.0"), kToday).result, UpdateCheckOutcome::CheckedToday);
    EXPECT_EQ(site.server.requestCount(), 0);
    EXPECT_EQ(check(QStringLiteral("1.0"), QDate()).result, UpdateCheckOutcome::Newer) << "never checked before";
}

TEST_F(UpdateStepsTest, AVersionFileThatIsNoVersionFailsTheCheck)
{
    HttpTestServer::Route huge;
    huge.patternSize = 10 * 1024 * 1024;
    HttpTestServer::Route missing;
    missing.status = 404;
    HttpTestServer::Route stall;
    stall.stall = true;
    const struct
    {
        const char* name;
        HttpTestServer::Route route;
        const char* detail;
    } cases[] = {{"empty", HttpTestServer::Route::answer(200), "Keine Versionsnummer"},
                 {"binary", HttpTestServer::Route::answer(200, QByteArray("\x00\x01\x02\xff\xfe\x80", 6)), "Keine Versionsnummer"},
                 {"html", HttpTestServer::Route::answer(200, "<html><body>Moved</body></html>"), "Keine Versionsnummer"},
                 {"10 MB", huge, "65536"},
                 {"404", missing, "404 Not Found"},
                 {"stall", stall, "too slow"}};
    for (const auto& c : cases) {
        site.server.setRoute("/version.txt", c.route);
        const UpdateCheckOutcome out = check(QStringLiteral("2.0.0.57"));
        EXPECT_EQ(out.result, UpdateCheckOutcome::Failed) << c.name;
        EXPECT_FALSE(out.fetched());
        EXPECT_TRUE(out.failure.startsWith(QStringLiteral(
            "Exception in Funktion 'CheckForUpdates()' in Datei Versionsinformationen (beim Versuch die Versions-Datei "
            "auf dem Server zu lesen)| Genaue Meldung: ")))
            << c.name;
        EXPECT_TRUE(out.failure.contains(QString::fromUtf8(c.detail))) << c.name << ": " << out.failure.toStdString();
        EXPECT_FALSE(out.failure.contains(QChar(0))) << "fit for one log line";
    }
}

TEST_F(UpdateStepsTest, DownloadsSeveralMegabytesByteForByteWithProgressToTheEnd)
{
    constexpr qint64 size = 5 * 1024 * 1024 + 123;
    site.offer("2.0", "netzpegel-2.0.zip", size);
    qint64 expected = -2;
    qint64 last = 0;
    const UpdateDownloadOutcome out =
        download({[&](qint64 n) { expected = n; }, [&](qint64 n) { last = n; }, {}});
    ASSERT_EQ(out.kind, UpdateDownloadOutcome::Done) << out.message.toStdString();
    EXPECT_EQ(out.fileName, "netzpegel_patch.zip");
    EXPECT_EQ(out.downloadAddress, site.fileUrl("netzpegel-2.0.zip"));
    EXPECT_EQ(out.secondAddress, site.server.url("/info page")) << "a quoted entry keeps its blank";
    EXPECT_EQ(expected, size);
    EXPECT_EQ(last, size);
    EXPECT_TRUE(home.read(QStringLiteral("netzpegel_patch.zip")) == HttpTestServer::pattern(size));
    EXPECT_EQ(programFiles(), QStringList{"netzpegel_patch.zip"}) << "no temporary file left";
}

TEST_F(UpdateStepsTest, TheFileNameTakesTheExtensionOfTheDownloadAddress)
{
    site.offer("2.0", "setup.exe", 1000);
    EXPECT_EQ(download().kind, UpdateDownloadOutcome::Done);
    EXPECT_TRUE(QFile::exists(home.file("netzpegel_patch.exe")));
    // One redirect on the way is followed.
    site.setAddressList(site.files.url("/moved.zip").toUtf8() + ",-");
    HttpTestServer::Route moved;
    moved.location = site.fileUrl("setup.exe");
    site.files.setRoute("/moved.zip", moved);
    const UpdateDownloadOutcome out = download();
    EXPECT_EQ(out.kind, UpdateDownloadOutcome::Done) << out.message.toStdString();
    EXPECT_EQ(home.read(QStringLiteral("netzpegel_patch.zip")), HttpTestServer::pattern(1000));
}

TEST_F(UpdateStepsTest, AnAddressListWithoutDownloadOrWithOneEntry)
{
    site.setAddressList("-,-");
    EXPECT_EQ(download().kind, UpdateDownloadOutcome::NoDownload);
    EXPECT_EQ(site.server.requestCount(), 1) << "only the list was fetched";

    for (const QByteArray& list : {QByteArray("http://127.0.0.1:9/setup.exe"), QByteArray("")}) {
        site.setAddressList(list);
        const UpdateDownloadOutcome out = download();
        EXPECT_EQ(out.kind, UpdateDownloadOutcome::ListFailed);
        EXPECT_TRUE(out.message.contains(QStringLiteral("Listenindex"))) << out.message.toStdString();
    }
    site.server.setRoute("/urls.txt", HttpTestServer::Route::answer(404));
    const UpdateDownloadOutcome unreadable = download();
    EXPECT_EQ(unreadable.kind, UpdateDownloadOutcome::ListFailed);
    EXPECT_TRUE(unreadable.message.contains(QStringLiteral("404")));
    EXPECT_EQ(site.log().count(QStringLiteral("Exception in Funktion 'TUpdateThread::Update()' in Datei "
                                              "TUpdateThread_Unit (beim Versuch die URL-Datei auf dem Server zu "
                                              "lesen)| Genaue Meldung: ")),
              3);
    EXPECT_TRUE(programFiles().filter(QStringLiteral("netzpegel_patch")).isEmpty());
}

TEST_F(UpdateStepsTest, AFailedDownloadLeavesNoFileUnderItsName)
{
    HttpTestServer::Route stall;
    stall.stall = true;
    HttpTestServer::Route cut;
    cut.patternSize = 2 * 1024 * 1024;
    cut.closeMidBody = true;
    HttpTestServer::Route shorter;
    shorter.patternSize = 100000;
    shorter.announcedLength = 200000;
    HttpTestServer::Route hop;
    hop.location = "/files/hop2.zip";
    HttpTestServer::Route endless;
    endless.endless = true;
    HttpTestServer::Route drip;
    drip.patternSize = 100000;
    drip.pieceBytes = 1;
    drip.chunkDelayMs = 100;
    HttpTestServer::Route longer;
    longer.patternSize = 300000;
    longer.announcedLength = 1000;
    HttpTestServer::Route toPlain;
    toPlain.location = site.server.url("/files/setup.zip").toUtf8();
    using K = HttpError::Kind;
    const struct
    {
        const char* name;
        HttpTestServer::Route route;
        K kind;
        QByteArray address = {};   // the list's download address, when not the https file
    } cases[] = {{"stall", stall, K::Failed},
                 {"cut", cut, K::Failed},
                 {"shorter", shorter, K::Failed},
                 {"404", HttpTestServer::Route::answer(404, "gone"), K::Failed},
                 {"500", HttpTestServer::Route::answer(500, "oops"), K::Failed},
                 {"two redirects", hop, K::Failed, site.fileUrl("hop1.zip")},
                 {"empty", HttpTestServer::Route::answer(200), K::Failed},
                 {"endless body", endless, K::TooLarge},
                 {"slow drip", drip, K::Deadline},
                 {"more than announced", longer, K::LongerThanAnnounced},
                 {"redirect to http", toPlain, K::NotHttps},
                 {"http address", HttpTestServer::Route::answer(200, "never reached"), K::NotHttps,
                  site.server.url("/files/setup.zip").toUtf8()}};
    HttpTestServer::Route hop2;
    hop2.location = "/files/setup.zip";
    site.files.setRoute("/files/hop2.zip", hop2);
    site.server.setRoute("/files/setup.zip", HttpTestServer::Route::answer(200, "over a plain connection"));
    int logged = 0;
    for (const auto& c : cases) {
        // A complete earlier download is there: it must not pass for this one.
        home.write(QStringLiteral("netzpegel_patch.zip"), "older download");
        site.setAddressList((c.address.isEmpty() ? site.fileUrl("setup.zip") : c.address) + ",-");
        site.files.setRoute("/files/setup.zip", c.route);
        if (QByteArray(c.name) == "two redirects") {
            site.files.setRoute("/files/hop1.zip", c.route);
            site.files.setRoute("/files/setup.zip", HttpTestServer::Route::answer(200, "never reached"));
        }
        const UpdateDownloadOutcome out = download();
        EXPECT_EQ(out.kind, UpdateDownloadOutcome::Failed) << c.name;
        EXPECT_EQ(out.failure, c.kind) << c.name;
        EXPECT_FALSE(out.message.isEmpty()) << c.name;
        EXPECT_TRUE(programFiles().filter(QStringLiteral("netzpegel_patch")).isEmpty())
            << c.name << ": " << programFiles().join(' ').toStdString();
        EXPECT_EQ(site.log().count(QStringLiteral("Fehler beim Versuch, Update von Netzpegel herunter zu laden. "
                                                  "E->Message: ")),
                  ++logged)
            << c.name;
    }
    EXPECT_EQ(site.server.requestCount("/files/setup.zip"), 0) << "no download over a plain connection";
}

TEST_F(UpdateStepsTest, ADownloadIsBegunOnlyWhenItAndTheReserveFitTheFreeSpace)
{
    constexpr qint64 size = 100000;
    site.offer("2.0", "setup.zip", size);
    QString askedFor;
    const struct
    {
        qint64 free;
        UpdateDownloadOutcome::Kind kind;
    } cases[] = {{-1, UpdateDownloadOutcome::Failed},   // unknown: nothing is risked
                 {size, UpdateDownloadOutcome::Failed},
                 {kDownloadSpaceReserve + size - 1, UpdateDownloadOutcome::Failed},
                 {kDownloadSpaceReserve + size, UpdateDownloadOutcome::Done}};
    for (const auto& c : cases) {
        const UpdateDownloadOutcome out = download({}, [&](const QString& folder) {
            askedFor = folder;
            return c.free;
        });
        EXPECT_EQ(out.kind, c.kind) << c.free;
        EXPECT_EQ(askedFor, home.folder());
        if (c.kind == UpdateDownloadOutcome::Failed) {
            EXPECT_EQ(out.failure, HttpError::Kind::NoRoom) << c.free;
            EXPECT_TRUE(programFiles().filter(QStringLiteral("netzpegel_patch")).isEmpty()) << c.free;
        }
    }
    EXPECT_EQ(home.read(QStringLiteral("netzpegel_patch.zip")), HttpTestServer::pattern(size));
}

TEST_F(UpdateStepsTest, TheUpdaterGetsTheDownloadedFileName)
{
    site.writeUpdater();
    site.offer("2.0", "netzpegel-2.0.zip", 4096);
    const UpdateDownloadOutcome out = download();
    ASSERT_EQ(out.kind, UpdateDownloadOutcome::Done);
    EXPECT_EQ(UpdateInstallieren(out.downloadAddress, QStringLiteral("updater.sh"), home.folder()).kind,
              UpdateInstallOutcome::Started);
    ASSERT_TRUE(waitFor([&] { return !site.updaterCall().isEmpty(); }));
    // Started in the program folder, so the name alone finds the file.
    EXPECT_EQ(site.updaterCall(), (QStringList{QDir(home.folder()).canonicalPath(), "netzpegel_patch.zip"}));
}

TEST_F(UpdateStepsTest, TheUpdaterStartsOnlyOnACompleteFileAndWhenItExists)
{
    site.writeUpdater();
    const QString address = QString::fromUtf8(site.fileUrl("setup.zip"));
    EXPECT_EQ(UpdateInstallieren(QStringLiteral("-"), QStringLiteral("updater.sh"), home.folder()).kind,
              UpdateInstallOutcome::NoDownload);
    // No file, an empty file, no updater, an updater that is not there, one that cannot run.
    EXPECT_EQ(UpdateInstallieren(address, QStringLiteral("updater.sh"), home.folder()).kind, UpdateInstallOutcome::Failed);
    home.write(QStringLiteral("netzpegel_patch.zip"), "");
    EXPECT_EQ(UpdateInstallieren(address, QStringLiteral("updater.sh"), home.folder()).kind, UpdateInstallOutcome::Failed);
    home.write(QStringLiteral("netzpegel_patch.zip"), "complete");
    home.write(QStringLiteral("plain.txt"), "not a program");
    for (const QString& updater : {QString(), QStringLiteral("no-such-updater"), home.file("nowhere/updater"),
                                   QStringLiteral("plain.txt")}) {
        const UpdateInstallOutcome out = UpdateInstallieren(address, updater, home.folder());
        EXPECT_EQ(out.kind, UpdateInstallOutcome::Failed) << updater.toStdString();
        EXPECT_FALSE(out.message.isEmpty());
    }
    EXPECT_EQ(site.log().count(QStringLiteral("Fehler beim Versuch, das Update von Netzpegel zu installieren: ")), 6);
    EXPECT_TRUE(site.updaterCall().isEmpty()) << "nothing was started";
}

TEST(ShippedVariables, EveryWebAddressIsHttpsOrEmpty)
{
    TempHome home;
    ASSERT_TRUE(layDownShippedFiles(home.folder()).isEmpty());
    for (const char* key : {"Update", "urls", "bugreport", "URL"}) {
        const QString address =
            IniReadString(QStringLiteral("Variablen"), QString::fromLatin1(key), home.file(QStringLiteral("variables.conf")));
        EXPECT_TRUE(address.isEmpty() || address.startsWith(QStringLiteral("https://"))) << key << ": "
                                                                                          << address.toStdString();
    }
}
