// The settings tab's central database: the test button says in plain words what fails and what
// works without freezing the window, and a saved connection string sends from then on.
#include "app/EinstellungenTab.h"
#include "app/TMainform.h"
#include "support/CentralTest.h"
#include "support/MainformFixture.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

class MainformCentral : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        PostgresServer& pg = CentralTest::server();
        ASSERT_TRUE(pg.ok()) << "no PostgreSQL server for the test: " << pg.error().toStdString();
        if (!pg.running()) {
            ASSERT_TRUE(pg.start()) << pg.error().toStdString();
        }
        ASSERT_TRUE(pg.resetDatabase());
        qputenv("NETZPEGEL_MACHINE_ID", "window-host");
        table.setRows({FakeInterfaceTable::row(2, "eth0", 1000, 1000, 6)});
    }
    void TearDown() override
    {
        qunsetenv("NETZPEGEL_MACHINE_ID");
        MainformFixture::TearDown();
    }

    // Clicks the test button with `connection` typed in; the message it ends with.
    RecordingMessageSink::Entry test(TMainform& form, const QString& connection)
    {
        const size_t shown = messages.shown.size();
        form.TabSheet2->Zentrale_Edit->setText(connection);
        form.TabSheet2->ZentraleTest_Button->click();
        EXPECT_TRUE(waitFor([&] { return messages.shown.size() > shown && form.TabSheet2->ZentraleTest_Button->isEnabled(); }))
            << connection.toStdString();
        return messages.shown.empty() ? RecordingMessageSink::Entry{MessageSink::Icon::None, {}} : messages.shown.back();
    }
};

TEST_F(MainformCentral, TheTestButtonSaysWhatFailsInPlainWordsAndWhatWorks)
{
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    PostgresServer& pg = CentralTest::server();
    struct Case
    {
        QString connection;
        MessageSink::Icon icon;
        const char* says;
    };
    const std::vector<Case> cases{
        {QStringLiteral("kein = = Text"), MessageSink::Icon::Error, "keine gültige Angabe für PostgreSQL"},
        {pg.connectionString(QStringLiteral("fehlt")), MessageSink::Icon::Error, "gibt es auf dem Server nicht"},
        {QStringLiteral("host=127.0.0.1 port=1 dbname=x"), MessageSink::Icon::Error, "nicht erreichbar"},
        {pg.connectionString(), MessageSink::Icon::Information, "Die Verbindung zur zentralen Datenbank steht"},
    };
    for (const Case& c : cases) {
        const auto result = test(form, c.connection);
        EXPECT_EQ(result.icon, c.icon) << c.connection.toStdString();
        EXPECT_TRUE(result.text.contains(QString::fromUtf8(c.says))) << result.text.toStdString();
    }
    EXPECT_EQ(pg.query(QStringLiteral("SELECT to_regclass('netzpegel_days') IS NOT NULL")).value(0).value(0),
              QStringLiteral("t"))
        << "the test made the table";

    form.TabSheet2->Zentrale_Edit->clear();
    form.ZentraleTest_ButtonClick();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.back().text.contains(QLatin1String("Verbindungsangabe ein")));
    EXPECT_FALSE(home.read("netzpegel.ini").contains("Zentrale=")) << "testing saves nothing";
}

TEST_F(MainformCentral, ASavedConnectionStringSendsTheDaysAndIsThereAtTheNextStart)
{
    const QString eth = TNic::adapterId(2, false);
    std::vector<StoredRow> history;
    for (int i = 1; i <= 30; ++i)
        history.push_back({clock.today().addDays(-i).toString(Qt::ISODate), 100.0 * i, 1.0 * i});
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), eth, history));
    PostgresServer& pg = CentralTest::server();
    {
        TMainform form(services, {});
        ASSERT_TRUE(form.started());
        form.TabSheet2->Zentrale_Edit->setText(pg.connectionString());
        form.Button2Click();
        EXPECT_TRUE(home.read("netzpegel.ini").contains(("Zentrale=" + pg.connectionString()).toUtf8()));
        ASSERT_TRUE(waitFor([&] {
            return pg.query(QStringLiteral("SELECT count(*) FROM netzpegel_days")).value(0).value(0) == QLatin1String("30");
        })) << "the history goes out once saved";
        form.close();
    }
    EXPECT_EQ(pg.query(QStringLiteral("SELECT sum(received), min(host_id), min(adapter_name) FROM netzpegel_days")).value(0),
              QStringList({QStringLiteral("46500"), QStringLiteral("window-host"), QStringLiteral("eth0")}));
    TMainform again(services, {});
    EXPECT_EQ(again.TabSheet2->Zentrale_Edit->text(), pg.connectionString());
}

} // namespace
