// The update service as the window sees it: status texts, buttons, progress,
// the automatic schedule, aborts and shutdown, against a local update server.
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "fakes/FakeClock.h"
#include "storage/DayNumber.h"
#include "support/TempHome.h"
#include "support/UpdateSite.h"
#include "support/WaitFor.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateService.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace {

// Everything the service tells the window.
struct WindowRecord
{
    QStringList statuses;
    int shown = 0;
    QString offered;
    QString offeredHint;
    int disabled = 0;
    QString install;
    qint64 maximum = -2;
    qint64 position = -1;
    bool ended = false;
    int closeRequests = 0;
};

class UpdateServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layDownShippedFiles(home.folder());
        sprache.Laden(QStringLiteral("deutsch.lan"));
        home.write(QStringLiteral("netzpegel.ver"),
                   "[VarFileInfo]\nTranslation=0407 04B0\n[StringFileInfo\\040704B0]\nFileVersion=2.0.0.57\n");
        verInfo.Lesen(home.file(QStringLiteral("netzpegel.ver")));
        site.writeVariables();
        site.writeUpdater();
        service = std::make_unique<UpdateService>(http, verInfo, sprache, clock, lastupdate);
        watch(*service);
    }

    // Everything the service tells the window goes into `window`.
    void watch(UpdateService& service)
    {
        UpdateService* s = &service;
        QObject::connect(s, &UpdateService::statusChanged, [this](const QString& t) { window.statuses << t; });
        QObject::connect(s, &UpdateService::showRequested, [this] { ++window.shown; });
        QObject::connect(s, &UpdateService::updateOffered, [this](const QString& caption, const QString& hint) {
            window.offered = caption;
            window.offeredHint = hint;
        });
        QObject::connect(s, &UpdateService::updateButtonDisabled, [this] { ++window.disabled; });
        QObject::connect(s, &UpdateService::installOffered, [this](const QString& c) { window.install = c; });
        QObject::connect(s, &UpdateService::progressBegin, [this](qint64 n) { window.maximum = n; });
        QObject::connect(s, &UpdateService::progressAt, [this](qint64 n) { window.position = n; });
        QObject::connect(s, &UpdateService::progressEnd, [this] { window.ended = true; });
        QObject::connect(s, &UpdateService::closeRequested, [this] { ++window.closeRequests; });
    }

    QString text(const char* key) const { return sprache.text(QStringLiteral("Updates"), QString::fromLatin1(key)); }
    QString error(const char* key) const { return sprache.error(QString::fromLatin1(key)); }
    bool settled() { return waitFor([&] { return !service->running(); }); }
    int logged(const QString& what) const { return static_cast<int>(site.log().count(what)); }
    QStringList patchFiles() const
    {
        return QDir(home.folder()).entryList({QStringLiteral("netzpegel_patch*")}, QDir::Files);
    }

    TempHome home;
    UpdateSite site{home};
    CurlHttpClient http{UpdateSite::clientOptions()};
    TSprache sprache;
    TVerInfo verInfo;
    FakeClock clock;
    double lastupdate = 0;
    std::unique_ptr<UpdateService> service;
    WindowRecord window;
};

const QString kCheckFailed = QStringLiteral("Exception in Funktion 'CheckForUpdates()'");

} // namespace

TEST_F(UpdateServiceTest, AManualCheckShowsTheResultAndIsNotRepeatedTheSameDay)
{
    const struct
    {
        const char* server;
        const char* status;
    } cases[] = {{"2.0.0.57", "Update2"}, {"2.0.0.50", "Update1"}, {"2.0.1.58", "Update3"}};
    for (const auto& c : cases) {
        lastupdate = 0;
        window = {};
        site.setVersion(c.server);
        service->checkManually();
        EXPECT_TRUE(service->running());
        ASSERT_TRUE(settled());
        EXPECT_EQ(window.shown, 1);
        EXPECT_EQ(window.statuses, QStringList{text(c.status)}) << c.server;
        EXPECT_EQ(lastupdate, dayNumberOf(clock.today()));
        EXPECT_EQ(verInfo.UpdateInfo().at(0), QString::fromUtf8(c.server));
    }
    EXPECT_EQ(window.offered, text("Update7") + " (2.0.1.58) " + text("Update8"));
    EXPECT_EQ(window.offeredHint, text("UpdatebuttonHint"));

    const int requests = site.server.requestCount();
    service->checkManually();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), text("Update6"));
    EXPECT_EQ(site.server.requestCount(), requests) << "already checked today: no connection";
}

TEST_F(UpdateServiceTest, AFailedManualCheckSaysSoLogsAndLetsTheNextOneRun)
{
    site.server.setRoute("/version.txt", HttpTestServer::Route::answer(500));
    for (int n = 1; n <= 2; ++n) {
        service->checkManually();
        ASSERT_TRUE(settled());
        EXPECT_EQ(window.statuses.last(), text("Update0"));
        EXPECT_EQ(site.server.requestCount(), n);
        EXPECT_EQ(logged(kCheckFailed), n);
    }
    EXPECT_EQ(lastupdate, 0) << "only a check that reached the server counts";
}

TEST_F(UpdateServiceTest, TheUpdateButtonDownloadsWithProgressAndTheInstallButtonStartsTheUpdater)
{
    constexpr qint64 size = 3 * 1024 * 1024;
    site.offer("2.0.1.58", "netzpegel-2.0.1.58.zip", size);
    service->checkManually();
    ASSERT_TRUE(settled());
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), text("Update9"));
    EXPECT_EQ(window.maximum, size);
    EXPECT_EQ(window.position, size);
    EXPECT_TRUE(window.ended);
    EXPECT_EQ(window.install, text("Update10"));
    EXPECT_EQ(verInfo.UpdateInfo().at(1), site.fileUrl("netzpegel-2.0.1.58.zip"));
    EXPECT_EQ(home.read(QStringLiteral("netzpegel_patch.zip")), HttpTestServer::pattern(size));
    EXPECT_TRUE(site.updaterCall().isEmpty()) << "installing waits for the button";

    service->InstallButtonClick();
    ASSERT_TRUE(waitFor([&] { return !site.updaterCall().isEmpty(); }));
    EXPECT_EQ(site.updaterCall().value(1), "netzpegel_patch.zip");
    EXPECT_EQ(window.closeRequests, 1);
}

TEST_F(UpdateServiceTest, TheAddressListDecidesWhatTheUpdateButtonDoes)
{
    site.setAddressList("-,-");
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), error("Error39"));

    site.setAddressList("http://127.0.0.1:9/setup.exe");
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(window.statuses.last().startsWith(error("Error38") + " Listenindex")) << window.statuses.last().toStdString();
    EXPECT_EQ(window.disabled, 1);

    site.setAddressList(site.fileUrl("gone.zip") + ",-");
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), error("Error40") + " HTTP/1.1 404 Not Found");
    EXPECT_EQ(window.disabled, 2);
    EXPECT_TRUE(patchFiles().isEmpty());
    service->InstallButtonClick();
    EXPECT_TRUE(window.statuses.last().startsWith(text("Update11"))) << "no file, no updater";
    EXPECT_EQ(window.closeRequests, 0);
}

TEST_F(UpdateServiceTest, AutomaticModesGoAsFarAsChosen)
{
    site.offer("2.0.1.58", "setup.exe", 10000);
    EXPECT_FALSE(service->automaticDue(0));
    lastupdate = dayNumberOf(clock.today().addDays(-29));
    EXPECT_FALSE(service->automaticDue(1)) << "29 days ago";
    lastupdate = dayNumberOf(clock.today().addDays(-30));
    ASSERT_TRUE(service->automaticDue(1));

    // 1: tell only.
    service->checkAutomatically(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses, QStringList{text("Update3")});
    EXPECT_EQ(window.shown, 1);
    EXPECT_FALSE(window.offered.isEmpty());
    EXPECT_EQ(site.server.requestCount("/urls.txt"), 0);
    EXPECT_FALSE(service->automaticDue(1)) << "checked today";

    // 2: download too, then offer the install.
    lastupdate = 0;
    window = {};
    service->checkAutomatically(2);
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses, (QStringList{text("Update3"), text("Update9")}));
    EXPECT_EQ(window.install, text("Update10"));
    EXPECT_TRUE(QFile::exists(home.file("netzpegel_patch.exe")));
    EXPECT_EQ(window.closeRequests, 0);

    // 3: and install.
    lastupdate = 0;
    window = {};
    service->checkAutomatically(3);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(window.install.isEmpty());
    EXPECT_EQ(window.closeRequests, 1);
    ASSERT_TRUE(waitFor([&] { return !site.updaterCall().isEmpty(); }));
    EXPECT_EQ(site.updaterCall().value(1), "netzpegel_patch.exe");
}

TEST_F(UpdateServiceTest, AnAutomaticCheckWithNothingNewShowsNothing)
{
    site.setVersion("2.0.0.57");
    service->checkAutomatically(3);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(window.statuses.isEmpty());
    EXPECT_EQ(window.shown, 0);
    EXPECT_EQ(lastupdate, dayNumberOf(clock.today()));
}

TEST_F(UpdateServiceTest, AFailedAutomaticCheckIsRetriedHourlyAndLoggedOnceADay)
{
    site.server.setRoute("/version.txt", HttpTestServer::Route::answer(404));
    service->checkAutomatically(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(logged(kCheckFailed), 1);
    EXPECT_TRUE(window.statuses.isEmpty()) << "an automatic failure is only logged";

    // Every minute's tick asks; the server hears from us once an hour.
    for (int minute = 1; minute < 60; ++minute) {
        clock.advanceSeconds(60);
        EXPECT_FALSE(service->automaticDue(1)) << minute;
    }
    clock.advanceSeconds(60);
    ASSERT_TRUE(service->automaticDue(1));
    service->checkAutomatically(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(site.server.requestCount(), 2);
    EXPECT_EQ(logged(kCheckFailed), 1) << "the same day is logged once";

    clock.advanceSeconds(24 * 3600);
    service->checkAutomatically(1);
    ASSERT_TRUE(settled());
    EXPECT_EQ(site.server.requestCount(), 3);
    EXPECT_EQ(logged(kCheckFailed), 2);

    // A manual check is neither held back nor kept from the log.
    service->checkManually();
    ASSERT_TRUE(settled());
    EXPECT_EQ(site.server.requestCount(), 4);
    EXPECT_EQ(logged(kCheckFailed), 3);
}

TEST_F(UpdateServiceTest, AnAbortedDownloadLeavesNothingAndTheNextOneRuns)
{
    HttpTestServer::Route slow;
    slow.patternSize = 8 * 1024 * 1024;
    slow.chunkDelayMs = 100;   // minutes to finish: only the abort ends it soon
    site.files.setRoute("/files/setup.zip", slow);
    site.setAddressList(site.fileUrl("setup.zip") + ",-");
    service->UpdateButtonClick();
    ASSERT_TRUE(waitFor([&] { return window.position > 0; }));
    service->abortTransfer();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(window.statuses.last().startsWith(error("Error40") + " Die Verbindung wurde getrennt"))
        << window.statuses.last().toStdString();
    EXPECT_TRUE(patchFiles().isEmpty()) << patchFiles().join(' ').toStdString();

    site.offer("2.0.1.58", "setup.zip", 1000);
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), text("Update9")) << "the abort ended with its transfer";
}

TEST_F(UpdateServiceTest, ShutdownEndsATransferAndWaitsForTheThread)
{
    HttpTestServer::Route stall;
    stall.stall = true;
    site.server.setRoute("/version.txt", stall);
    service->checkManually();
    ASSERT_TRUE(waitFor([&] { return site.server.requestCount() == 1; }));
    service->shutdown();
    EXPECT_FALSE(service->running());
    QCoreApplication::processEvents();   // anything the thread queued before it ended
    EXPECT_TRUE(window.statuses.isEmpty()) << "nothing reaches a window after shutdown";
    service->checkManually();
    EXPECT_FALSE(service->running()) << "nothing starts after shutdown";
}

TEST_F(UpdateServiceTest, ARefusedDownloadSaysWhyInTheUsersLanguageAndLeavesNoFile)
{
    HttpOptions options = UpdateSite::clientOptions();
    options.maxFileBytes = 1024 * 1024;
    options.fileTotalMs = 1500;
    CurlHttpClient bounded(options);
    service = std::make_unique<UpdateService>(bounded, verInfo, sprache, clock, lastupdate);
    watch(*service);

    HttpTestServer::Route endless;
    endless.endless = true;
    HttpTestServer::Route longer;
    longer.patternSize = 300000;
    longer.announcedLength = 1000;
    HttpTestServer::Route drip;
    drip.patternSize = 100000;
    drip.pieceBytes = 1;
    drip.chunkDelayMs = 100;
    HttpTestServer::Route toPlain;
    toPlain.location = site.server.url("/files/setup.zip").toUtf8();
    site.server.setRoute("/files/setup.zip", HttpTestServer::Route::answer(200, "over a plain connection"));
    const struct
    {
        const char* name;
        HttpTestServer::Route route;
        const char* key;
    } cases[] = {{"endless body", endless, "Update12"},
                 {"more than announced", longer, "Update13"},
                 {"slow drip", drip, "Update14"},
                 {"redirect to http", toPlain, "Update16"}};
    int disabled = 0;
    for (const auto& c : cases) {
        site.files.setRoute("/files/setup.zip", c.route);
        site.setAddressList(site.fileUrl("setup.zip") + ",-");
        service->UpdateButtonClick();
        ASSERT_TRUE(settled()) << c.name;
        EXPECT_EQ(window.statuses.last(), error("Error40") + " " + text(c.key)) << c.name;
        EXPECT_EQ(window.disabled, ++disabled) << c.name;
        EXPECT_TRUE(patchFiles().isEmpty()) << c.name << ": " << patchFiles().join(' ').toStdString();
    }
    EXPECT_EQ(site.server.requestCount("/files/setup.zip"), 0);

    // In English too: the reason is a language text, not the program's own.
    const QString german = window.statuses.last();
    sprache.Laden(QStringLiteral("english.lan"));
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), error("Error40") + " " + text("Update16"));
    EXPECT_NE(window.statuses.last(), german);
    service.reset();   // before the client it uses
}

TEST_F(UpdateServiceTest, TheServersReasonPhraseReachesTheStatusAsItCame)
{
    HttpTestServer::Route marked = HttpTestServer::Route::answer(503);
    marked.reasonPhrase = "<b>Wartung</b> <img src=\"x\"> <a href=\"https://example.invalid\">hier</a>";
    site.files.setRoute("/files/setup.zip", marked);
    site.setAddressList(site.fileUrl("setup.zip") + ",-");
    service->UpdateButtonClick();
    ASSERT_TRUE(settled());
    EXPECT_EQ(window.statuses.last(), error("Error40") + " HTTP/1.1 503 " + QString::fromUtf8(marked.reasonPhrase));
    EXPECT_TRUE(patchFiles().isEmpty());
}
