// The engine without a window: it counts, rolls the day over, takes on interfaces that appear,
// tells its failures as messages and books at the end, on fakes and the real database file.
#include "base/ProgramFolder.h"
#include "config/DataPlan.h"
#include "config/TSprache.h"
#include "engine/TrafficEngine.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeLinkWatch.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <QTimer>

#include <tuple>
#include <gtest/gtest.h>

namespace {

class TrafficEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layDownShippedFiles(home.folder());
        home.write("boot_id", "test-boot\n");
        sprache.setFileName(QStringLiteral("deutsch.lan"));
        sprache.Laden(sprache.fileName());
        services.interfaceTable = &table;
        services.dialupSource = &dialup;
        services.clock = &clock;
        services.sprache = &sprache;
        services.bootIdPath = home.file("boot_id");
        options.dfuEngine = true;
        options.cacheIntervalText = QStringLiteral("5");
        table.setRows({FakeInterfaceTable::row(2, QStringLiteral("eth0"), 1000, 500)});
    }

    // Starts `engine` as the window and the service do; messages are recorded.
    bool start(TrafficEngine& engine)
    {
        QObject::connect(&engine, &TrafficEngine::message, &engine,
                         [this](MessageSink::Icon, const QString& text) { messages << text; });
        std::vector<IfRow> rows;
        if (!engine.openDatabase() || !engine.readInterfaces(options, rows))
            return false;
        engine.createEntries(rows, options);
        engine.start(rows, options);
        return engine.started();
    }

    QString db() const { return home.file(QStringLiteral("Datenbank.mdb")); }

    TempHome home;
    FakeInterfaceTable table;
    FakeDialupSource dialup;
    FakeClock clock{QDateTime(QDate(2026, 12, 8), QTime(23, 58))};
    TSprache sprache;
    EngineServices services;
    EngineOptions options;
    QStringList messages;
};

TEST_F(TrafficEngineTest, CountsEachDayIntoItsOwnRowAndBooksTheRestAtTheEnd)
{
    TrafficEngine engine(services);
    ASSERT_TRUE(start(engine)) << messages.join('\n').toStdString();
    ASSERT_EQ(engine.entries().size(), 2u) << "eth0 and the dial-up entry, last";
    EXPECT_TRUE(engine.entries().back()->isDfu());
    EXPECT_TRUE(engine.NicEngine->isActive());
    EXPECT_TRUE(engine.DfuEngine->isActive());
    EXPECT_EQ(engine.CacheToHDDTimer->interval(), 5 * 60000);
    int sampled = 0;
    QObject::connect(&engine, &TrafficEngine::adaptersSampled, &engine, [&] { ++sampled; });

    engine.NicEngineTimer(); // first sample: what it counts follows its own rules
    const TNic& eth0 = *engine.entries()[0];
    const double firstReceived = static_cast<double>(eth0.get_gesamt_received());
    const double firstSent = static_cast<double>(eth0.get_gesamt_send());
    table.addOctets(2, 3000, 700);
    engine.NicEngineTimer();
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(0, 1)));
    table.addOctets(2, 40, 60); // counted after midnight but before the minute's check: the old day's
    engine.NicEngineTimer();
    engine.DatumsprueftimerTimer();
    EXPECT_EQ(engine.Tagesdatum, QDate(2026, 12, 9));
    table.addOctets(2, 200, 100);
    engine.NicEngineTimer();
    EXPECT_EQ(sampled, 4);

    EXPECT_TRUE(engine.bookAtClose().empty());
    EXPECT_FALSE(engine.NicEngine->isActive()) << "counting is over";
    EXPECT_TRUE(engine.closed());
    engine.release();

    const QString eth = TNic::adapterId(2, false);
    auto rows = trafficRows(db(), eth);
    EXPECT_EQ(rows["2026-12-08"].received, firstReceived + 3040);
    EXPECT_EQ(rows["2026-12-08"].send, firstSent + 760);
    EXPECT_EQ(rows["2026-12-09"].received, 200);
    EXPECT_EQ(rows["2026-12-09"].send, 100);
    EXPECT_EQ(rows["2026-12-09"].rows, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(TrafficEngineTest, AnInterfaceThatAppearsIsProvisionedBeforeTheDialupEntryAndCounted)
{
    TrafficEngine engine(services);
    // (position, tables created, adopted) of each new entry
    std::vector<std::tuple<int, bool, bool>> added;
    int adopted = 0;
    QObject::connect(&engine, &TrafficEngine::entryAdded, &engine,
                     [&](int position, bool created, bool late) { added.emplace_back(position, created, late); });
    QObject::connect(&engine, &TrafficEngine::entriesAdopted, &engine, [&] { ++adopted; });
    ASSERT_TRUE(start(engine));
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0], std::make_tuple(0, true, false));
    EXPECT_EQ(added[1], std::make_tuple(1, true, false));

    engine.NicEngineTimer();
    table.rows().push_back(FakeInterfaceTable::row(7, QStringLiteral("wlan0"), 100, 100, 71));
    engine.NicEngineTimer();
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[2], std::make_tuple(1, true, true)) << "before the dial-up entry";
    EXPECT_EQ(adopted, 1);
    ASSERT_EQ(engine.entries().size(), 3u);
    EXPECT_EQ(engine.entries()[1]->Name, QStringLiteral("wlan0"));
    const double firstReceived = static_cast<double>(engine.entries()[1]->get_gesamt_received());
    const double firstSent = static_cast<double>(engine.entries()[1]->get_gesamt_send());
    table.addOctets(7, 900, 90);
    engine.NicEngineTimer();
    engine.bookAtClose();
    engine.release();
    const DayTraffic wlan = trafficRows(db(), TNic::adapterId(7, false))["2026-12-08"];
    EXPECT_EQ(wlan.received, firstReceived + 900);
    EXPECT_EQ(wlan.send, firstSent + 90);
}

TEST_F(TrafficEngineTest, WithNothingShownTheTicksRestUntilALinkChangesOrSomethingIsToBeCounted)
{
    FakeLinkWatch watch;
    services.linkWatch = &watch;
    table.setRows({FakeInterfaceTable::row(1, QStringLiteral("lo"), 10, 10, 24)}); // hidden when made
    TrafficEngine engine(services);
    ASSERT_TRUE(start(engine));
    ASSERT_EQ(engine.entries().size(), 2u);
    TNic& dfu = *engine.entries().back();
    ASSERT_TRUE(dfu.anzeigen_live) << "the dial-up entry is shown when made";
    EXPECT_FALSE(engine.resting());
    const auto ticking = [&] { return engine.NicEngine->isActive() && engine.DfuEngine->isActive(); };

    dfu.anzeigen_live = false;
    dfu.anzeigen_graph = false;
    watch.available = false;
    engine.showingChanged();
    EXPECT_TRUE(ticking()) << "without a watch nothing would tell of a new link";
    watch.available = true;
    engine.showingChanged();
    EXPECT_TRUE(engine.resting());
    EXPECT_FALSE(engine.NicEngine->isActive());
    EXPECT_FALSE(engine.DfuEngine->isActive());
    EXPECT_TRUE(watch.watching());
    EXPECT_TRUE(engine.Datumsprueftimer->isActive()) << "the day is still checked";

    // A connection comes up: counted from its start, hidden entry or not.
    dialup.status.state = DialupStatus::State::Connected;
    dialup.status.bytesReceived = 5000;
    watch.fire();
    EXPECT_FALSE(engine.resting());
    EXPECT_TRUE(ticking());
    EXPECT_FALSE(watch.watching());
    dialup.status.bytesReceived = 5800;
    engine.DfuEngineTimer();
    EXPECT_EQ(static_cast<double>(dfu.get_gesamt_received()), 5800);
    dialup.status.state = DialupStatus::State::NoConnection;
    engine.DfuEngineTimer();
    EXPECT_TRUE(engine.resting()) << "the connection went";

    // A link change that brings nothing to show: sampled once, rests on.
    const int reads = table.readCount();
    table.rows().push_back(FakeInterfaceTable::row(4, QStringLiteral("veth0"), 0, 0, 1234));
    watch.fire();
    EXPECT_EQ(table.readCount(), reads + 1);
    ASSERT_EQ(engine.entries().size(), 3u) << "taken on hidden";
    EXPECT_TRUE(engine.resting());

    // An adapter that is shown when made wakes the ticks, and so does showing an entry.
    table.rows().push_back(FakeInterfaceTable::row(7, QStringLiteral("wlan0"), 100, 100, 71));
    watch.fire();
    ASSERT_EQ(engine.entries().size(), 4u);
    EXPECT_TRUE(ticking());
    engine.entries()[2]->anzeigen_live = false;
    engine.entries()[2]->anzeigen_graph = false;
    ASSERT_EQ(engine.entries()[2]->Name, QStringLiteral("wlan0"));
    engine.showingChanged();
    EXPECT_TRUE(engine.resting());
    engine.entries()[0]->anzeigen_graph = true;
    engine.showingChanged();
    EXPECT_TRUE(ticking());

    engine.entries()[0]->anzeigen_graph = false;
    engine.showingChanged();
    ASSERT_TRUE(engine.resting());
    engine.bookAtClose();
    EXPECT_FALSE(watch.watching()) << "counting is over";
    engine.showingChanged();
    EXPECT_FALSE(engine.NicEngine->isActive());
    EXPECT_FALSE(watch.watching());
    engine.release();
}

TEST_F(TrafficEngineTest, FailuresAreToldAsMessagesAndStopNothingElse)
{
    {
        TrafficEngine engine(services);
        table.setReadFails(true);
        EXPECT_FALSE(start(engine)) << "no adapters without the interface table";
        table.setReadFails(false);
    }
    TrafficEngine engine(services);
    ASSERT_TRUE(start(engine));
    engine.CacheIntervalEditChange(QStringLiteral("99999999"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], sprache.error(QStringLiteral("Error6")));
    EXPECT_EQ(engine.CacheToHDDTimer->interval(), 5 * 60000) << "the timer as it was";
    engine.CacheIntervalEditChange(QStringLiteral("0"));
    EXPECT_FALSE(engine.CacheToHDDTimer->isActive());

    table.setReadThrows(true);
    int sampled = 0;
    QObject::connect(&engine, &TrafficEngine::adaptersSampled, &engine, [&] { ++sampled; });
    engine.NicEngineTimer();
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(messages.value(1), sprache.error(QStringLiteral("Error9")));
    EXPECT_EQ(sampled, 1) << "the display still follows";
}

TEST_F(TrafficEngineTest, ALevelCrossedByTheFinalBookingAlertsAtTheNextStartOnce)
{
    const QString eth = TNic::adapterId(2, false);
    DataPlan plan;
    plan.table = eth;
    plan.limit = 20000;
    plan.warnstufen = {50, 100};
    ASSERT_TRUE(writeDataPlan(plan));
    auto alertsOf = [](TrafficEngine& engine, QList<int>& levels) {
        QObject::connect(&engine, &TrafficEngine::planAlert, &engine,
                         [&levels](const PlanAlert& a) { levels << a.level; });
    };
    {
        TrafficEngine engine(services);
        QList<int> levels;
        alertsOf(engine, levels);
        ASSERT_TRUE(start(engine));
        engine.NicEngineTimer();
        table.addOctets(2, 4000, 0);
        engine.NicEngineTimer();
        engine.DatumsprueftimerTimer();
        EXPECT_TRUE(levels.isEmpty()) << "below every level";
        table.addOctets(2, 6000, 0); // in the run's last seconds
        engine.NicEngineTimer();
        engine.bookAtClose();
        engine.release();
        EXPECT_TRUE(levels.isEmpty()) << "no minute's check came after it";
    }
    for (const QList<int> expected : {QList<int>{50}, QList<int>{}}) {
        TrafficEngine engine(services);
        QList<int> levels;
        alertsOf(engine, levels);
        ASSERT_TRUE(start(engine));
        EXPECT_EQ(levels, expected) << "at the start, and only once";
        ASSERT_EQ(engine.plans().usages(clock.now(), engine.Tagesdatum).size(), 1u);
        EXPECT_GE(engine.plans().usages(clock.now(), engine.Tagesdatum)[0].used, 10000u);
        engine.bookAtClose();
        engine.release();
    }
}

} // namespace
