#include "acquisition/DialupSampling.h"
#include "acquisition/PppDialupSource.h"
#include "acquisition/TNic.h"
#include "config/TSprache.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPpp = 23;

class DialupSamplingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.write(QStringLiteral("test.lan"), "[Errors]\n"
                                               "Error16=\"Verbunden: \"\n"
                                               "Error17=Keine DFÜ-Verbindung\n"
                                               "Error18=DFÜ-Verbindungen können nicht abgefragt werden\n");
        ASSERT_TRUE(sprache.Laden(QStringLiteral("test.lan")));
        entry.setDfuIdentity(QStringLiteral("DFÜ"));
    }

    void connect(uint64_t received, uint64_t sent)
    {
        source.status.state = DialupStatus::State::Connected;
        source.status.entryName = QStringLiteral("ppp0");
        source.status.bps = 115200;
        source.status.bytesReceived = received;
        source.status.bytesSent = sent;
    }

    QString tick() { return sampleDialup(source, entry, sprache); }

    TempHome home;
    TSprache sprache;
    SampleContext context;
    TNic entry{&context};
    FakeDialupSource source;
};

TEST_F(DialupSamplingTest, ConnectedFeedsItsCountersAndNamesItselfInTheLabel)
{
    connect(20000, 3000);
    EXPECT_EQ(tick(), QString::fromUtf8("Verbunden: ppp0@115200"));
    EXPECT_EQ(entry.get_wert_received(), 20000);
    EXPECT_EQ(entry.get_wert_send(), 3000);
}

TEST_F(DialupSamplingTest, NoConnectionOrFailedEnumerationFeedsZeroAndKeepsTheTotals)
{
    struct Case
    {
        DialupStatus::State state;
        const char* label;
    };
    const Case cases[] = {
        {DialupStatus::State::NoConnection, "Keine DFÜ-Verbindung"},
        {DialupStatus::State::EnumerationFailed, "DFÜ-Verbindungen können nicht abgefragt werden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        entry.set_wert_received(0);
        entry.set_wert_send(0);
        connect(20000, 3000);
        tick();
        const long double received = entry.get_gesamt_received();
        const long double send = entry.get_gesamt_send();

        source.status = DialupStatus{};
        source.status.state = c.state;
        source.status.bytesReceived = 99999; // no connection to read: never fed
        EXPECT_EQ(tick(), QString::fromUtf8(c.label));
        EXPECT_EQ(entry.get_wert_received(), 0);
        EXPECT_EQ(entry.get_wert_send(), 0);
        EXPECT_EQ(entry.get_rate_received(), 0);
        EXPECT_EQ(entry.get_gesamt_received(), received);
        EXPECT_EQ(entry.get_gesamt_send(), send);
    }
}

TEST_F(DialupSamplingTest, ConnectionComingUpCountsFromItsStart)
{
    struct Case
    {
        bool bewareOfTrafficDouble;
        int32_t maxspeed;
        long double afterFirstTick;
        long double afterSecondTick;
    };
    // The receive limit for maxspeed 6400 is 23000, and it applies at every sample.
    const Case cases[] = {
        {false, 0, 20000, 50000},
        {false, 6400, 20000, 50000},
        {true, 6400, 20000, 43000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bewareOfTrafficDouble << " " << c.maxspeed);
        TNic e(&context);
        e.setDfuIdentity(QStringLiteral("DFÜ"));
        e.maxspeed = c.maxspeed;
        context.bewareOfTrafficDouble = c.bewareOfTrafficDouble;
        // An earlier connection ended; feeding 0 meanwhile adds nothing.
        connect(70000, 0);
        sampleDialup(source, e, sprache);
        e.set_gesamt_received(0);
        source.status.state = DialupStatus::State::NoConnection;
        sampleDialup(source, e, sprache);
        EXPECT_EQ(e.get_gesamt_received(), 0);

        connect(20000, 0);
        sampleDialup(source, e, sprache);
        EXPECT_EQ(e.get_gesamt_received(), c.afterFirstTick);
        EXPECT_EQ(e.get_rate_received(), 20000);
        connect(50000, 0);
        sampleDialup(source, e, sprache);
        EXPECT_EQ(e.get_gesamt_received(), c.afterSecondTick);
    }
}

class PppDialupSourceTest : public ::testing::Test
{
protected:
    static IfRow link(uint32_t ifIndex, const char* name, uint32_t type, bool up, uint64_t in = 0, uint64_t out = 0)
    {
        IfRow r = FakeInterfaceTable::row(ifIndex, QString::fromUtf8(name), in, out, type);
        r.up = up;
        r.speed = 1000ull * ifIndex;
        return r;
    }

    FakeInterfaceTable table;
    PppDialupSource source{table};
};

TEST_F(PppDialupSourceTest, FirstPppLinkThatIsUpIsTheConnection)
{
    table.setRows({link(1, "lo", 24, true, 5, 5), link(2, "eth0", 6, true, 7, 7), link(3, "ppp0", kPpp, false, 8, 8),
                   link(4, "ppp1", kPpp, true, 20000, 3000), link(5, "ppp2", kPpp, true, 9, 9)});
    const DialupStatus status = source.query();
    EXPECT_EQ(status.state, DialupStatus::State::Connected);
    EXPECT_EQ(status.entryName, QStringLiteral("ppp1"));
    EXPECT_EQ(status.bps, 4000u);
    EXPECT_EQ(status.bytesReceived, 20000u);
    EXPECT_EQ(status.bytesSent, 3000u);
    EXPECT_TRUE(table.isOpen()) << "opened on first use";
}

TEST_F(PppDialupSourceTest, NoPppLinkUpIsNoConnectionAndAFailedReadIsAnEnumerationFailure)
{
    table.setRows({link(2, "eth0", 6, true, 7, 7), link(3, "ppp0", kPpp, false, 8, 8)});
    EXPECT_EQ(source.query().state, DialupStatus::State::NoConnection);
    table.setRows({});
    EXPECT_EQ(source.query().state, DialupStatus::State::NoConnection);

    table.setRows({link(4, "ppp1", kPpp, true)});
    table.setReadFails(true);
    EXPECT_EQ(source.query().state, DialupStatus::State::EnumerationFailed);
    table.setReadFails(false);
    table.close();
    table.setOpenFails(true);
    EXPECT_EQ(source.query().state, DialupStatus::State::EnumerationFailed);
    table.setOpenFails(false);
    EXPECT_EQ(source.query().state, DialupStatus::State::Connected) << "back once the table can be read";
}

} // namespace
