// The running engine's sending to a real central server: owed days go out once the server
// answers again, a failure is logged once a day and cause, and counting, booking and the
// cache go on exactly as without a central database while the network hangs or fails.
#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "engine/CentralSender.h"
#include "engine/TrafficEngine.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "storage/CentralStatements.h"
#include "storage/PgConnection.h"
#include "support/CentralTest.h"
#include "support/PostgresSession.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QTcpServer>

namespace {

const QString kEth = TNic::adapterId(2, false);

// One program folder with its engine on fakes, started as the window and the service start it.
struct Monitor
{
    explicit Monitor(const TempHome& home)
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
        options.dfuEngine = false;
        options.cacheIntervalText = QStringLiteral("5");
        table.setRows({FakeInterfaceTable::row(2, QStringLiteral("eth0 \"Küche\""), 1000, 500)});
    }

    // The engine gave the log its clock, which goes with this object.
    ~Monitor() { setLogClock(nullptr); }

    bool start()
    {
        engine = std::make_unique<TrafficEngine>(services);
        QObject::connect(engine.get(), &TrafficEngine::message, engine.get(),
                         [this](MessageSink::Icon, const QString& text) { messages << text; });
        std::vector<IfRow> rows;
        if (!engine->openDatabase() || !engine->readInterfaces(options, rows))
            return false;
        engine->createEntries(rows, options);
        engine->start(rows, options);
        return engine->started();
    }

    void send(const QString& connection)
    {
        CentralSender::Options o;
        o.connectionString = connection;
        o.firstRetryMs = 20;
        o.maxRetryMs = 40;
        o.log = [this](const QString& text) { logged << text; };
        sender = std::make_unique<CentralSender>(*engine, &sprache, o);
        QObject::connect(sender.get(), &CentralSender::sent, sender.get(), [this] { ++sent; });
        QObject::connect(sender.get(), &CentralSender::failed, sender.get(), [this] { ++failed; });
    }

    // A day of traffic as the timers drive it: ticks, cache writes, then midnight and its check.
    void countADay(uint64_t in, uint64_t out)
    {
        for (int i = 0; i < 20; ++i) {
            table.addOctets(2, in, out);
            engine->NicEngineTimer();
            if (i % 5 == 4)
                engine->CacheToHDDTimerTimer();
        }
        clock.set(QDateTime(clock.today().addDays(1), QTime(0, 1)));
        engine->DatumsprueftimerTimer();
    }

    void end()
    {
        if (sender)
            sender->stop();
        EXPECT_TRUE(engine->bookAtClose().empty());
        engine->release();
    }

    FakeInterfaceTable table;
    FakeDialupSource dialup;
    FakeClock clock{QDateTime(QDate(2026, 12, 8), QTime(10, 0))};
    TSprache sprache;
    EngineServices services;
    EngineOptions options;
    std::unique_ptr<TrafficEngine> engine;
    std::unique_ptr<CentralSender> sender;
    QStringList messages;
    QStringList logged;
    int sent = 0;
    int failed = 0;
};

class CentralSenderTest : public CentralTest
{
protected:
    void SetUp() override
    {
        CentralTest::SetUp();
        qputenv("NETZPEGEL_MACHINE_ID", "engine-host");
    }
    void TearDown() override { qunsetenv("NETZPEGEL_MACHINE_ID"); }

    // Every local day of eth0 up to `through` is in the central table once, with the same values.
    static void expectCentralHolds(const QString& db, const QDate& through)
    {
        auto local = trafficRows(db, kEth);
        std::erase_if(local, [&](const auto& row) { return row.first > through.toString(Qt::ISODate); });
        const auto central = server().query(QStringLiteral("SELECT day::text, received, sent FROM netzpegel_days WHERE "
                                                           "host_id = 'engine-host' AND adapter = $1 AND day <= $2 "
                                                           "ORDER BY day"),
                                            {kEth, through.toString(Qt::ISODate)});
        ASSERT_EQ(central.size(), static_cast<qsizetype>(local.size()));
        qsizetype i = 0;
        for (const auto& [day, values] : local) {
            EXPECT_EQ(central[i][0], day);
            EXPECT_EQ(central[i][1].toLongLong(), static_cast<qint64>(values.received)) << day.toStdString();
            EXPECT_EQ(central[i][2].toLongLong(), static_cast<qint64>(values.send)) << day.toStdString();
            ++i;
        }
    }
};

TEST_F(CentralSenderTest, OwedDaysGoOutOnceTheServerAnswersAgainAndTheOutageIsLoggedOnceADay)
{
    TempHome home;
    Monitor m(home);
    std::vector<StoredRow> history;
    for (int i = 1; i <= 60; ++i)
        history.push_back({QDate(2026, 12, 8).addDays(-i).toString(Qt::ISODate), 1000.0 * i, 10.0 * i});
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), kEth, history));
    ASSERT_TRUE(server().stop());
    ASSERT_TRUE(m.start()) << m.messages.join('\n').toStdString();
    m.send(server().connectionString());
    ASSERT_TRUE(m.sender->active());

    ASSERT_TRUE(waitFor([&] { return m.failed >= 4; })) << "the worker retries";
    EXPECT_EQ(m.logged.size(), 1) << m.logged.join('\n').toStdString();
    EXPECT_TRUE(m.logged.value(0).contains(QLatin1String("nicht erreichbar"))) << m.logged.value(0).toStdString();
    m.countADay(3000, 700); // books the 8th while the server is away
    const int before = m.failed;
    ASSERT_TRUE(waitFor([&] { return m.failed >= before + 2; }));
    EXPECT_EQ(m.logged.size(), 2) << "once more on the new day: " << m.logged.join('\n').toStdString();

    ASSERT_TRUE(server().start());
    ASSERT_TRUE(waitFor([&] { return m.sent > 0; }));
    m.table.addOctets(2, 40, 60);
    m.engine->NicEngineTimer();
    m.engine->CacheToHDDTimerTimer();
    const int sentBefore = m.sent;
    ASSERT_TRUE(waitFor([&] { return m.sent > sentBefore; }));
    EXPECT_EQ(server().query(QStringLiteral("SELECT received || '/' || sent FROM netzpegel_days WHERE day = '2026-12-09'"))
                  .value(0)
                  .value(0),
              QStringLiteral("40/60"))
        << "today's running row";
    m.end();
    EXPECT_EQ(m.logged.size(), 2);
    // 60 days of history, the 8th, and the 9th as its running row had it when the end booked it.
    ASSERT_EQ(trafficRows(home.file("Datenbank.mdb"), kEth).size(), 62u);
    expectCentralHolds(home.file("Datenbank.mdb"), QDate(2026, 12, 9));
    EXPECT_TRUE(m.messages.isEmpty()) << m.messages.join('\n').toStdString();
}

TEST_F(CentralSenderTest, TheTicksNeverWaitForAServerThatHangs)
{
    TempHome home;
    Monitor m(home);
    QTcpServer silent; // takes the connection and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), kEth, {{QStringLiteral("2026-12-01"), 1.0, 2.0}}));
    ASSERT_TRUE(m.start());
    m.engine->NicEngineTimer(); // the first sample, with rules of its own
    const double firstSent = static_cast<double>(m.engine->entries()[0]->get_gesamt_send());
    m.send(QStringLiteral("host=127.0.0.1 port=%1 dbname=x connect_timeout=600").arg(silent.serverPort()));
    ASSERT_TRUE(silent.waitForNewConnection(20000)) << "the worker connects";

    // Days of ticks, cache writes and rollovers, each asking for a send, while the worker hangs.
    m.countADay(5000, 900);
    m.countADay(100, 10);
    QCoreApplication::processEvents();
    EXPECT_EQ(m.sent + m.failed, 0) << "the worker is still waiting for the server";
    m.end(); // stops the hanging worker at once, then books
    const auto rows = trafficRows(home.file("Datenbank.mdb"), kEth);
    EXPECT_EQ(rows.at("2026-12-08").send, firstSent + 20 * 900);
    EXPECT_EQ(rows.at("2026-12-09").received, 20 * 100);
    EXPECT_TRUE(m.messages.isEmpty()) << m.messages.join('\n').toStdString();
}

TEST_F(CentralSenderTest, AServerStoppedWhileASendWaitsGetsEveryDayOnceWhenItRunsAgain)
{
    TempHome home;
    Monitor m(home);
    std::vector<StoredRow> history;
    for (int i = 1; i <= 400; ++i)
        history.push_back({QDate(2026, 12, 8).addDays(-i).toString(Qt::ISODate), 7.0 * i, 3.0 * i});
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), kEth, history));
    ASSERT_TRUE(m.start());
    {
        // The table exists and is locked: the sender's upsert waits in the middle of its send.
        PostgresSession lock(server().connectionString());
        ASSERT_TRUE(lock.ok());
        PgConnection owner(server().connectionString());
        CentralStatements::prepareTable(owner);
        owner.close();
        ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(lock.exec(QStringLiteral("LOCK TABLE netzpegel_days IN EXCLUSIVE MODE")));
        m.send(server().connectionString());
        ASSERT_TRUE(waitFor([&] {
            return server()
                       .query(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                                             "AND query LIKE 'INSERT INTO netzpegel_days%'"))
                       .value(0)
                       .value(0)
                == QLatin1String("1");
        })) << "the send waits for the lock";
        m.countADay(300, 30); // counting goes on meanwhile
        ASSERT_TRUE(server().stop(QStringLiteral("immediate")));
    }
    ASSERT_TRUE(waitFor([&] { return m.failed > 0; }));
    EXPECT_EQ(server().query(QStringLiteral("SELECT 1")).size(), 0) << "the server is down";
    ASSERT_TRUE(server().start());
    ASSERT_TRUE(waitFor([&] { return m.sent > 0; }));
    m.end();
    // Each day before the 9th (whose booking at the end is sent by the next start) once.
    const auto central = server().query(QStringLiteral("SELECT count(*), sum(received), sum(sent) FROM netzpegel_days "
                                                       "WHERE day < '2026-12-09'"));
    qint64 days = 0, received = 0, sent = 0;
    for (const auto& [day, v] : trafficRows(home.file("Datenbank.mdb"), kEth)) {
        if (day >= QLatin1String("2026-12-09"))
            continue;
        ++days;
        received += static_cast<qint64>(v.received);
        sent += static_cast<qint64>(v.send);
    }
    EXPECT_EQ(days, 401);
    EXPECT_EQ(central.value(0), QStringList({QString::number(days), QString::number(received), QString::number(sent)}));
    EXPECT_EQ(server().query(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT adapter, day FROM netzpegel_days) d"))
                  .value(0)
                  .value(0),
              server().query(QStringLiteral("SELECT count(*) FROM netzpegel_days")).value(0).value(0));
}

TEST_F(CentralSenderTest, WithTheServerOutOfReachAllRunCountingAndFilesAreAsWithoutAndTheNextStartSends)
{
    // The same traffic through a monitor without a central database and one whose server
    // never answers: the same days booked, the same cache.
    QByteArray cacheWithout;
    std::map<QString, DayTraffic> booked;
    {
        TempHome home;
        Monitor m(home);
        ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), kEth, {{QStringLiteral("2026-12-01"), 1.0, 2.0}}));
        ASSERT_TRUE(m.start());
        m.countADay(1234, 567);
        m.table.addOctets(2, 11, 22);
        m.engine->NicEngineTimer();
        m.engine->CacheToHDDTimerTimer();
        cacheWithout = home.read("netzpegel.cache");
        m.end();
        booked = trafficRows(home.file("Datenbank.mdb"), kEth);
    }
    TempHome home;
    {
        Monitor m(home);
        ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), kEth, {{QStringLiteral("2026-12-01"), 1.0, 2.0}}));
        ASSERT_TRUE(m.start());
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        const QString nowhere = QStringLiteral("host=127.0.0.1 port=%1 dbname=netzpegel").arg(probe.serverPort());
        probe.close();
        m.send(nowhere);
        ASSERT_TRUE(waitFor([&] { return m.failed >= 1; }));
        m.countADay(1234, 567);
        m.table.addOctets(2, 11, 22);
        m.engine->NicEngineTimer();
        m.engine->CacheToHDDTimerTimer();
        EXPECT_EQ(home.read("netzpegel.cache"), cacheWithout);
        const int before = m.failed;
        ASSERT_TRUE(waitFor([&] { return m.failed >= before + 2; }));
        m.end();
        EXPECT_EQ(m.logged.size(), 2) << "once on each of the two days: " << m.logged.join('\n').toStdString();
        const auto rows = trafficRows(home.file("Datenbank.mdb"), kEth);
        ASSERT_EQ(rows.size(), booked.size());
        for (const auto& [day, v] : booked) {
            EXPECT_EQ(rows.at(day).received, v.received) << day.toStdString();
            EXPECT_EQ(rows.at(day).send, v.send) << day.toStdString();
        }
        EXPECT_TRUE(m.messages.isEmpty()) << m.messages.join('\n').toStdString();
    }
    // The next start that reaches the server sends what is owed, the day booked at the end too.
    Monitor next(home);
    next.clock.set(QDateTime(QDate(2026, 12, 10), QTime(8, 0)));
    ASSERT_TRUE(next.start());
    next.send(server().connectionString());
    ASSERT_TRUE(waitFor([&] { return next.sent > 0; }));
    next.end();
    expectCentralHolds(home.file("Datenbank.mdb"), QDate(2026, 12, 9));
}

} // namespace
