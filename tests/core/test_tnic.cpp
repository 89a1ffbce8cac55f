#include "acquisition/TNic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

enum class Dir { Received, Send };

struct Step
{
    Dir dir;
    long double raw;
    bool ok;
    double rate;
    long double total;
    long double alte;
    int intervalMs = 0; // 0 keeps the current interval
};

struct Sequence
{
    const char* name;
    bool dfu;
    int intervalMs;
    bool option;
    int32_t maxspeed;
    std::vector<Step> steps;
};

struct DirView
{
    long double alte, wert, total;
    double rate;
};

DirView view(const TNic& nic, Dir d)
{
    long double send = 0, received = 0;
    nic.get_alte_werte(send, received);
    if (d == Dir::Send)
        return {send, nic.get_wert_send(), nic.get_gesamt_send(), double(nic.get_rate_send())};
    return {received, nic.get_wert_received(), nic.get_gesamt_received(),
            double(nic.get_rate_received())};
}

Dir other(Dir d)
{
    return d == Dir::Send ? Dir::Received : Dir::Send;
}

// Runs a sequence; adapter sequences are symmetric and run once per direction.
void runSequence(const Sequence& seq, bool flip)
{
    SampleContext ctx;
    ctx.intervalMs = seq.intervalMs;
    ctx.bewareOfTrafficDouble = seq.option;
    TNic nic(&ctx);
    if (seq.dfu)
        nic.setDfuIdentity(QStringLiteral("DFU"));
    else
        nic.setIdentity(IfRow{2, QStringLiteral("eth0"), {}, 6, 0, 0, 0}, false);
    nic.maxspeed = seq.maxspeed;

    int n = 0;
    for (const Step& st : seq.steps) {
        SCOPED_TRACE(testing::Message() << seq.name << (flip ? " (flipped)" : "") << ", step " << ++n);
        const Dir d = flip ? other(st.dir) : st.dir;
        if (st.intervalMs)
            ctx.intervalMs = st.intervalMs;
        const DirView before = view(nic, other(d));
        const bool ok = d == Dir::Send ? nic.set_wert_send(st.raw) : nic.set_wert_received(st.raw);
        const DirView now = view(nic, d);
        EXPECT_EQ(ok, st.ok);
        EXPECT_EQ(now.wert, st.raw);
        EXPECT_EQ(now.rate, st.rate);
        EXPECT_EQ(now.total, st.total);
        EXPECT_EQ(now.alte, st.alte);
        const DirView after = view(nic, other(d));
        EXPECT_EQ(after.total, before.total);
        EXPECT_EQ(after.alte, before.alte);
        EXPECT_EQ(after.rate, before.rate);
    }
}

constexpr auto R = Dir::Received;
constexpr auto S = Dir::Send;

} // namespace

TEST(TNicSample, AdapterSequencesInBothDirections)
{
    const std::vector<Sequence> sequences = {
        {"1 s, option off", false, 1000, false, 0,
         {{R, 1000, true, 1000, 1000, 1000},
          {R, 1500, true, 500, 1500, 1500},
          {R, 1499, true, 0, 1500, 1499}}},
        {"1 s, option on, maxspeed 125000", false, 1000, true, 125000,
         {{R, 7000000, true, 125000, 125000, 7000000},
          {R, 7000100, true, 100, 125100, 7000100}}},
        {"5 s divides the rate, total takes the whole difference", false, 5000, false, 0,
         {{R, 12500, true, 2500, 12500, 12500}}},
        {"1500 ms divides by 1", false, 1500, false, 0,
         {{R, 1500, true, 1500, 1500, 1500}}},
        {"halves round to even", false, 2000, false, 0,
         {{R, 5, true, 2, 5, 5},
          {R, 12, true, 4, 12, 12},
          {R, 21, true, 4, 21, 21},
          {R, 24, true, 2, 24, 24}}},
        {"counter reset", false, 1000, false, 0,
         {{R, 1000, true, 1000, 1000, 1000},
          {R, 400, true, 0, 1000, 400},
          {R, 500, true, 100, 1100, 500}}},
        {"interval below 1 s fails and keeps alte", false, 500, false, 0,
         {{R, 3000, false, 0, 0, 0},
          {R, 3500, true, 3500, 3500, 3500, 1000},
          {R, 4000, false, 3500, 3500, 3500, 999},
          {R, 4100, true, 600, 4100, 4100, 1000}}},
        {"10 s: totals byte exact while the rate rounds to 0", false, 10000, false, 0,
         {{R, 1000, true, 100, 1000, 1000},
          {R, 1004, true, 0, 1004, 1004},
          {R, 1009, true, 0, 1009, 1009},
          {R, 1024, true, 2, 1024, 1024}}},
        {"5 s first-sample limit adds the cut rate for the interval", false, 5000, true, 1000,
         {{R, 1000000, true, 1000, 5000, 1000000},
          {R, 1000100, true, 20, 5100, 1000100}}},
        {"64-bit counters pass 2^31 and 2^32 without loss", false, 1000, true, 0,
         {{R, 2147483000.0L, true, 0, 0, 2147483000.0L},
          {R, 2147484000.0L, true, 1000, 1000, 2147484000.0L},
          {R, 4294967000.0L, true, 2147483000, 2147484000.0L, 4294967000.0L},
          {R, 4294968000.0L, true, 1000, 2147485000.0L, 4294968000.0L}}},
        {"counters near 2^62 stay exact", false, 1000, true, 10,
         {{R, 4611686018427387904.0L, true, 10, 10, 4611686018427387904.0L},
          {R, 4611686018427388905.0L, true, 1001, 1011, 4611686018427388905.0L}}},
    };
    for (const Sequence& seq : sequences) {
        runSequence(seq, false);
        runSequence(seq, true);
    }
}

TEST(TNicSample, DialUpSequences)
{
    const std::vector<Sequence> sequences = {
        {"maxspeed 6400: send limited only while alte is 0, received always", true, 1000, true, 6400,
         {{S, 50000, true, 23000, 23000, 50000},
          {S, 100000, true, 50000, 73000, 100000},
          {R, 50000, true, 23000, 23000, 50000},
          {R, 100000, true, 23000, 46000, 100000},
          {R, 110000, true, 10000, 56000, 110000}}},
        {"the interval neither divides nor fails", true, 500, false, 0,
         {{R, 3000, true, 3000, 3000, 3000},
          {R, 8000, true, 5000, 8000, 8000, 5000},
          {S, 7000, true, 7000, 7000, 7000}}},
        {"option off: no limit", true, 1000, false, 6400,
         {{S, 50000, true, 50000, 50000, 50000},
          {R, 50000, true, 50000, 50000, 50000},
          {R, 100000, true, 50000, 100000, 100000}}},
        {"counter back to 0 (no connection) adds nothing", true, 1000, false, 0,
         {{R, 5000, true, 5000, 5000, 5000},
          {R, 0, true, 0, 5000, 0},
          {R, 300, true, 300, 5300, 300}}},
    };
    for (const Sequence& seq : sequences)
        runSequence(seq, false);
}

TEST(TNicSample, AdapterFirstSampleLimitTable)
{
    struct Case { int32_t maxspeed; bool option; double rate; };
    const long double big = 1e9L;
    const std::vector<Case> cases = {
        {6400, true, 6400}, {3801, true, 3801}, {1, true, 1}, {15001, true, 15001},
        {0, true, 0}, {2147483647, true, 1e9},
        {6400, false, 1e9}, {1, false, 1e9},
    };
    for (const Case& c : cases) {
        for (Dir d : {R, S}) {
            SCOPED_TRACE(testing::Message() << "maxspeed " << c.maxspeed << " option " << c.option
                                            << (d == S ? " send" : " received"));
            SampleContext ctx{1000, c.option};
            TNic nic(&ctx);
            nic.setIdentity(IfRow{7, QStringLiteral("eth1"), {}, 6, 0, 0, 0}, false);
            nic.maxspeed = c.maxspeed;
            auto feed = [&](long double raw) {
                return d == S ? nic.set_wert_send(raw) : nic.set_wert_received(raw);
            };
            ASSERT_TRUE(feed(big));
            EXPECT_EQ(view(nic, d).rate, c.rate);
            EXPECT_EQ(view(nic, d).total, c.rate);
            // Later samples are never cut.
            ASSERT_TRUE(feed(2 * big));
            EXPECT_EQ(view(nic, d).rate, 1e9);
            EXPECT_EQ(view(nic, d).total, c.rate + big);
        }
    }
}

TEST(TNicSample, DialUpLimitTable)
{
    struct Case { int32_t maxspeed; long double limit; }; // 0: no limit
    const std::vector<Case> cases = {
        {-1, 0}, {0, 0}, {1, 0}, {2, 18000}, {3800, 18000}, {3801, 23000}, {6400, 23000},
        {6401, 30000}, {7300, 30000}, {7301, 75000}, {15000, 75000}, {15001, 15001},
        {2000000, 2000000},
    };
    const long double big = 1e9L;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "maxspeed " << c.maxspeed);
        SampleContext ctx{1000, true};
        TNic nic(&ctx);
        nic.setDfuIdentity(QStringLiteral("DFU"));
        nic.maxspeed = c.maxspeed;
        const long double cut = c.limit > 0 ? c.limit : big;

        ASSERT_TRUE(nic.set_wert_received(big));
        ASSERT_TRUE(nic.set_wert_send(big));
        EXPECT_EQ(nic.get_rate_received(), cut);
        EXPECT_EQ(nic.get_rate_send(), cut);

        ASSERT_TRUE(nic.set_wert_received(2 * big));
        ASSERT_TRUE(nic.set_wert_send(2 * big));
        EXPECT_EQ(nic.get_rate_received(), cut);
        EXPECT_EQ(nic.get_rate_send(), big);
        EXPECT_EQ(nic.get_gesamt_received(), 2 * cut);
        EXPECT_EQ(nic.get_gesamt_send(), cut + big);
    }
}

TEST(TNicTotals, SetTotalOverwritesAndSamplesAddOnTop)
{
    SampleContext ctx{1000, false};
    TNic nic(&ctx);
    nic.setIdentity(IfRow{3, QStringLiteral("eth0"), {}, 6, 0, 0, 0}, false);
    EXPECT_TRUE(nic.set_gesamt_send(5000));
    EXPECT_TRUE(nic.set_gesamt_received(7000));
    ASSERT_TRUE(nic.set_wert_received(100));
    ASSERT_TRUE(nic.set_wert_send(40));
    EXPECT_EQ(nic.get_gesamt_send(), 5040);
    EXPECT_EQ(nic.get_gesamt_received(), 7100);
    EXPECT_TRUE(nic.set_gesamt_send(0));
    EXPECT_EQ(nic.get_gesamt_send(), 0);
    EXPECT_EQ(nic.get_gesamt_received(), 7100);
}

TEST(TNicIdentity, AdapterIdWithAndWithoutSonderModus)
{
    struct Case { uint32_t index; bool sonder; const char* id; };
    const std::vector<Case> cases = {
        {65539, false, "00010003"}, {65539, true, "0003"},
        {1, false, "00000001"}, {1, true, "0001"},
        {0xABCDEF12u, false, "abcdef12"}, {0xABCDEF12u, true, "ef12"},
        {0xFFFFFFFFu, false, "ffffffff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " sonder " << c.sonder);
        EXPECT_EQ(TNic::adapterId(c.index, c.sonder), QString::fromLatin1(c.id));
        SampleContext ctx;
        TNic nic(&ctx);
        nic.setIdentity(IfRow{c.index, QStringLiteral("x"), {}, 6, 0, 0, 0}, c.sonder);
        EXPECT_EQ(nic.Index, QString::fromLatin1(c.id));
        EXPECT_FALSE(nic.isDfu());
    }
}

TEST(TNicIdentity, MacIsAlwaysSixLowerCaseBytes)
{
    struct Case { QByteArray addr; const char* text; };
    const std::vector<Case> cases = {
        {QByteArray::fromHex("AABBCCDDEEFF"), "aa:bb:cc:dd:ee:ff"},
        {QByteArray::fromHex("0A1B2C"), "0a:1b:2c:00:00:00"},
        {QByteArray(), "00:00:00:00:00:00"},
        {QByteArray::fromHex("0102030405060708090A"), "01:02:03:04:05:06"},
    };
    for (const Case& c : cases) {
        SampleContext ctx;
        TNic nic(&ctx);
        nic.setIdentity(IfRow{4, QStringLiteral("wlan0"), c.addr, 71, 0, 0, 0}, false);
        EXPECT_EQ(nic.Mac, QString::fromLatin1(c.text));
        EXPECT_EQ(nic.Name, QStringLiteral("wlan0"));
    }
}

TEST(TNicIdentity, DialUpEntry)
{
    SampleContext ctx;
    TNic nic(&ctx);
    nic.setIdentity(IfRow{4, QStringLiteral("eth0"), QByteArray::fromHex("AABBCCDDEEFF"), 6, 0, 0, 0},
                    false);
    nic.setDfuIdentity(QStringLiteral("DFÜ-Verbindung"));
    EXPECT_TRUE(nic.isDfu());
    EXPECT_EQ(nic.Index, QStringLiteral("dfu"));
    EXPECT_EQ(nic.Name, QStringLiteral("DFÜ-Verbindung"));
    EXPECT_TRUE(nic.Mac.isEmpty());
}

namespace {

// An adapter whose counter stood at 0 when it was first sampled: its next sample
// is real traffic, not history since the adapter came up, and is counted in full.
TEST(TNicSample, ACounterAtZeroIsSampledOnlyOnce)
{
    SampleContext ctx{1000, true};
    TNic nic(&ctx);
    nic.Index = QStringLiteral("00000005");
    nic.maxspeed = 0; // unknown line speed: a first sample is cut to nothing
    EXPECT_FALSE(nic.sampled());
    ASSERT_TRUE(nic.set_wert_received(0));
    ASSERT_TRUE(nic.set_wert_send(0));
    EXPECT_TRUE(nic.sampled());
    ASSERT_TRUE(nic.set_wert_received(4000));
    ASSERT_TRUE(nic.set_wert_send(300));
    EXPECT_EQ(nic.get_gesamt_received(), 4000);
    EXPECT_EQ(nic.get_gesamt_send(), 300);

    TNic fresh(&ctx);
    fresh.Index = QStringLiteral("00000006");
    ASSERT_TRUE(fresh.set_wert_received(4000));
    EXPECT_EQ(fresh.get_gesamt_received(), 0) << "a real first sample is still cut";

    SampleContext tooShort{500, true};
    TNic early(&tooShort);
    early.Index = QStringLiteral("00000008");
    EXPECT_FALSE(early.set_wert_received(0));
    EXPECT_FALSE(early.sampled()) << "a failed sample is no sample";
}

} // namespace
