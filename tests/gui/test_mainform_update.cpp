// The update service in the main window: the menu entry, the update window,
// the automatic check of the day check, the proxy dialog and the shutdown,
// against a local update server.
#include "app/EinstellungenTab.h"
#include "app/TMainform.h"
#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "config/Settings.h"
#include "config/TSprache.h"
#include "storage/DayNumber.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/UpdateSite.h"
#include "support/WaitFor.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateService.h"
#include "update/ui/TUpdateForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class MainformUpdateTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        site.writeVariables();
        site.writeUpdater();
        http = std::make_unique<CurlHttpClient>(UpdateSite::clientOptions());
        services.http = http.get();
        services.inputBox = [this](const QString& caption, const QString& prompt, const QString& initial, bool secret) {
            boxes << QStringList{caption, prompt, initial, secret ? "secret" : "plain"};
            return answers.isEmpty() ? initial : answers.takeFirst();
        };
        layDownShippedFiles(home.folder());
        german.Laden(QStringLiteral("deutsch.lan"));
    }

    QString text(const char* key) const { return german.text(QStringLiteral("Updates"), QString::fromLatin1(key)); }
    bool settled(TMainform& form) { return waitFor([&] { return !form.updateService()->running(); }); }

    UpdateSite site{home};
    std::unique_ptr<CurlHttpClient> http;
    QList<QStringList> boxes;
    QStringList answers;
    TSprache german;   // the shipped texts, read by the test on its own
};

} // namespace

TEST_F(MainformUpdateTest, UpdateMenuChecksDownloadsAndInstallsInTheUpdateWindow)
{
    constexpr qint64 size = 2 * 1024 * 1024;
    site.offer("9.0.0.1", "netzpegel-9.zip", size);
    TMainform form(services, {});
    form.show();
    QApplication::setActiveWindow(&form);
    form.Update1->trigger();
    TUpdateForm* window = form.updateForm();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Label1->text(), text("Update5")) << "until the server answers";
    EXPECT_EQ(window->windowTitle(), text("Update4"));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(form.isActiveWindow()) << "the update window does not take the focus";
    const QRect area = window->screen()->availableGeometry();
    EXPECT_EQ(window->frameGeometry().right(), area.right());
    EXPECT_EQ(window->frameGeometry().bottom(), area.bottom());
    EXPECT_FALSE(window->UpdateButton->isVisible());

    ASSERT_TRUE(settled(form));
    EXPECT_EQ(window->Label1->text(), text("Update3"));
    ASSERT_TRUE(window->UpdateButton->isVisible());
    EXPECT_TRUE(window->UpdateButton->isEnabled());
    EXPECT_EQ(window->UpdateButton->text(), text("Update7") + " (9.0.0.1) " + text("Update8"));

    window->UpdateButton->click();
    EXPECT_TRUE(window->ProgressBar1->isVisible());
    ASSERT_TRUE(settled(form));
    EXPECT_EQ(window->Label1->text(), text("Update9"));
    EXPECT_EQ(window->ProgressBar1->maximum(), size);
    EXPECT_EQ(window->ProgressBar1->value(), size);
    EXPECT_FALSE(window->UpdateButton->isVisible());
    ASSERT_TRUE(window->InstallButton->isVisible());
    EXPECT_EQ(window->InstallButton->text(), text("Update10"));
    EXPECT_EQ(home.read("netzpegel_patch.zip"), HttpTestServer::pattern(size));

    window->InstallButton->click();
    ASSERT_TRUE(waitFor([&] { return !site.updaterCall().isEmpty(); }));
    EXPECT_EQ(site.updaterCall().value(1), "netzpegel_patch.zip");
    ASSERT_TRUE(waitFor([&] { return form.entries().empty(); })) << "the monitor closes for the updater";
    EXPECT_EQ(form.updateForm(), nullptr);
}

TEST_F(MainformUpdateTest, ClosingTheUpdateWindowMidTransferAbortsAndKeepsIt)
{
    HttpTestServer::Route slow;
    slow.patternSize = 8 * 1024 * 1024;
    slow.chunkDelayMs = 100;
    site.files.setRoute("/files/setup.zip", slow);
    site.setAddressList(site.fileUrl("setup.zip") + ",-");
    site.setVersion("9.0");
    TMainform form(services, {});
    form.Update1->trigger();
    ASSERT_TRUE(settled(form));
    QPointer<TUpdateForm> window = form.updateForm();
    window->UpdateButton->click();
    ASSERT_TRUE(waitFor([&] { return window->ProgressBar1->value() > 0; }));

    EXPECT_FALSE(window->close()) << "refused while the transfer runs";
    ASSERT_TRUE(settled(form));
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Label1->text().startsWith(german.error("Error40"))) << window->Label1->text().toStdString();
    EXPECT_FALSE(window->UpdateButton->isEnabled());
    EXPECT_FALSE(QFile::exists(home.file("netzpegel_patch.zip")));

    EXPECT_TRUE(window->close());
    ASSERT_TRUE(waitFor([&] { return window.isNull(); })) << "freed once nothing runs";
    EXPECT_EQ(form.updateForm(), nullptr);
    form.Update1->trigger();
    EXPECT_NE(form.updateForm(), nullptr) << "the menu makes a new one";
}

TEST_F(MainformUpdateTest, WhatAServerSaysIsShownAsPlainText)
{
    HttpTestServer::Route marked = HttpTestServer::Route::answer(503);
    marked.reasonPhrase = "<b>Wartung</b> <img src=\"x\"> <a href=\"https://example.invalid\">hier</a>";
    site.files.setRoute("/files/setup.zip", marked);
    site.setAddressList(site.fileUrl("setup.zip") + ",-");
    site.setVersion("9.0");
    TMainform form(services, {});
    form.Update1->trigger();
    ASSERT_TRUE(settled(form));
    TUpdateForm* window = form.updateForm();
    window->UpdateButton->click();
    ASSERT_TRUE(settled(form));
    const QString shown = window->Label1->text();
    EXPECT_EQ(shown, german.error("Error40") + " HTTP/1.1 503 " + QString::fromUtf8(marked.reasonPhrase));
    ASSERT_TRUE(Qt::mightBeRichText(shown)) << "the automatic format would have read it as markup";
    EXPECT_EQ(window->Label1->textFormat(), Qt::PlainText);
    EXPECT_FALSE(window->Label1->openExternalLinks());
}

TEST_F(MainformUpdateTest, TheDayCheckRunsTheAutomaticCheckInTheChosenMode)
{
    site.offer("9.0", "setup.zip", 5000);
    {
        TMainform form(services, {});
        form.DatumsprueftimerTimer();
        EXPECT_EQ(form.updateForm(), nullptr) << "mode 0 never checks";
        EXPECT_EQ(site.server.requestCount(), 0);

        form.TabSheet2->Update_ComboBox->setCurrentIndex(2);
        form.DatumsprueftimerTimer();
        ASSERT_NE(form.updateForm(), nullptr);
        EXPECT_FALSE(form.updateForm()->isVisible()) << "hidden until there is news";
        ASSERT_TRUE(settled(form));
        TUpdateForm* window = form.updateForm();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->Label1->text(), text("Update9"));
        EXPECT_TRUE(window->InstallButton->isVisible());
        EXPECT_TRUE(site.updaterCall().isEmpty()) << "mode 2 does not install";
        const int requests = site.server.requestCount();
        form.DatumsprueftimerTimer();
        EXPECT_EQ(site.server.requestCount(), requests) << "30 days until the next one";
        form.close();
    }
    EXPECT_EQ(LastupdateLaden(), dayNumberOf(clock.today())) << "saved at close";

    // After a restart the date holds; a month later the check is due again.
    const int requests = site.server.requestCount();
    clock.set(clock.now().addDays(29));
    TMainform again(services, {});
    again.TabSheet2->Update_ComboBox->setCurrentIndex(1);
    again.DatumsprueftimerTimer();
    EXPECT_FALSE(again.updateService()->running());
    clock.set(clock.now().addDays(1));
    again.DatumsprueftimerTimer();
    ASSERT_TRUE(settled(again));
    EXPECT_EQ(site.server.requestCount(), requests + 1);
}

TEST_F(MainformUpdateTest, TheProxyButtonAsksFourValuesAndSavesThePasswordScrambled)
{
    HttpTestServer proxy;
    proxy.setBody("/version.txt", "1.0.0");
    proxy.requireProxyCredentials("netzer:Geheim!42");
    {
        TMainform form(services, {});
        answers = {"127.0.0.1", QString::number(proxy.port()), "netzer", "Geheim!42"};
        messages.answer = true;
        form.TabSheet2->ProxyButton->click();
        const QString p = german.text("Proxy", "Proxy1");
        ASSERT_EQ(boxes.size(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(boxes[i][0], german.text("Proxy", QStringLiteral("Proxy%1").arg(2 * i + 1)));
            EXPECT_EQ(boxes[i][1], german.text("Proxy", QStringLiteral("Proxy%1").arg(2 * i + 2)));
            EXPECT_EQ(boxes[i][2], i == 1 ? "0" : "") << "never the current values";
        }
        EXPECT_EQ(boxes[3][3], "secret");
        EXPECT_EQ(messages.asked, QStringList{german.text("Proxy", "Proxy9")});
    }
    const QByteArray ini = home.read("netzpegel.ini");
    EXPECT_FALSE(ini.contains("Geheim!42")) << ini.toStdString();
    EXPECT_EQ(IniReadString("Allgemein", "ProxyServer"), "127.0.0.1");
    EXPECT_EQ(IniReadInteger("Allgemein", "ProxyPort", 0), proxy.port());

    // Restarted: the proxy carries the check, with the password read back.
    TMainform form(services, {});
    form.Update1->trigger();
    ASSERT_TRUE(settled(form));
    EXPECT_EQ(form.updateForm()->Label1->text(), text("Update2"));
    EXPECT_EQ(site.server.requestCount(), 0) << "nothing went past the proxy";
    const HttpTestServer::Request seen = proxy.requests().last();
    EXPECT_EQ(seen.requestLine, "GET " + site.server.url("/version.txt").toUtf8() + " HTTP/1.1");
    EXPECT_EQ(seen.headers.value("proxy-authorization"), "Basic " + QByteArray("netzer:Geheim!42").toBase64());
}

TEST_F(MainformUpdateTest, APortThatIsNoPortChangesNothing)
{
    home.write("netzpegel.ini", "[Allgemein]\nProxyServer=proxy.lan\nProxyPort=3128\n");
    TMainform form(services, {});
    const QByteArray before = home.read("netzpegel.ini");
    for (const char* port : {"abc", "70000", "-1", ""}) {
        boxes.clear();
        messages.shown.clear();
        answers = {"other.lan", port, "user", "pw"};
        form.ProxyButtonClick();
        EXPECT_EQ(boxes.size(), 2) << port << ": the questions end at the port";
        ASSERT_EQ(messages.shown.size(), 1u) << port;
        EXPECT_EQ(messages.shown[0].text, german.text("Proxy", "Proxy10"));
        EXPECT_TRUE(messages.asked.isEmpty());
        EXPECT_EQ(http->proxy().server, "proxy.lan") << port;
        EXPECT_EQ(http->proxy().port, 3128);
    }
    EXPECT_EQ(home.read("netzpegel.ini"), before);
}

TEST_F(MainformUpdateTest, AnsweringNoClearsTheProxyForThisRunOnly)
{
    {
        // Saved through the dialog, with a password, in an earlier run.
        TMainform form(services, {});
        answers = {"127.0.0.1", "9", "netzer", "Geheim!42"};
        messages.answer = true;
        form.ProxyButtonClick();
    }
    site.setVersion("1.0.0");
    {
        TMainform form(services, {});
        answers = {"10.0.0.1", "8080", "", ""};
        messages.answer = false;
        form.ProxyButtonClick();
        EXPECT_EQ(http->proxy(), ProxySettings{}) << "no proxy for the rest of this run";
        form.Update1->trigger();
        ASSERT_TRUE(settled(form));
        EXPECT_EQ(site.server.requestCount(), 1) << "straight to the server";
        // Applying the settings afterwards writes the other settings, not the cleared proxy.
        form.TabSheet2->Button2->click();
        EXPECT_EQ(IniReadString("Allgemein", "ProxyServer"), "127.0.0.1");
    }
    EXPECT_EQ(IniReadString("Allgemein", "ProxyServer"), "127.0.0.1") << "the file keeps its proxy";
    TMainform again(services, {});
    const ProxySettings saved{QStringLiteral("127.0.0.1"), 9, QStringLiteral("netzer"), QStringLiteral("Geheim!42")};
    EXPECT_EQ(http->proxy(), saved) << "after a restart the saved values apply again";
}

TEST_F(MainformUpdateTest, ClosingTheProgramCutsARunningTransfer)
{
    CurlHttpClient patient;   // a minute's stall limit: only the abort ends the transfer soon
    services.http = &patient;
    HttpTestServer::Route stall;
    stall.stall = true;
    site.server.setRoute("/version.txt", stall);
    TMainform form(services, {});
    form.Update1->trigger();
    ASSERT_TRUE(waitFor([&] { return site.server.requestCount() == 1; }));
    form.close();
    EXPECT_TRUE(form.entries().empty());
    EXPECT_EQ(form.updateService(), nullptr);
    EXPECT_TRUE(site.log().contains("Die Verbindung wurde getrennt")) << site.log().toStdString();
}
