#include "acquisition/IfRow.h"
#include "acquisition/TNic.h"
#include "storage/Database.h"
#include "engine/Provisioning.h"
#include "storage/TrafficStatements.h"
#include "support/TempHome.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

IfRow ifRow(uint32_t index, uint32_t type, uint64_t speed)
{
    IfRow row;
    row.index = index;
    row.name = QStringLiteral("if%1").arg(index);
    row.type = type;
    row.speed = speed;
    return row;
}

QVariantList settingsValues(Database& db, const QString& index)
{
    const auto rows = db.query(QStringLiteral("SELECT * FROM %1").arg(Database::quoteIdentifier(index + "_einstellungen")));
    return rows.size() == 1 ? rows[0].values() : QVariantList();
}

TEST(Provisioning, FirstStartCreatesTwoTablesAndADefaultRowPerEntry)
{
    struct Case
    {
        const char* what;
        IfRow row;
        bool dfu;
        QString index;
        QString anzeigen;
        qint64 maxspeed;
    };
    const Case cases[] = {
        {"100 Mbit Ethernet", ifRow(11, 6, 100000000), false, "0000000b", "11", 12500000},
        {"loopback", ifRow(1, 24, 0), false, "00000001", "00", 0},
        {"40 Gbit wireless", ifRow(3, 71, 40000000000ULL), false, "00000003", "11", 2147483647},
        {"17 Gbit, just fits", ifRow(4, 1, 17179869176ULL), false, "00000004", "11", 2147483647},
        {"token ring", ifRow(5, 9, 16000000), false, "00000005", "11", 2000000},
        {"IEEE 1394", ifRow(6, 144, 400000000), false, "00000006", "11", 50000000},
        {"tunnel", ifRow(7, 131, 8), false, "00000007", "00", 1},
        {"PPP as adapter", ifRow(8, 23, 56000), false, "00000008", "00", 7000},
        {"dial-up", ifRow(0, 23, 56000), true, "dfu", "11", 0},
    };
    TempHome home;
    Database db(Database::programDatabasePath());
    SampleContext context;
    QStringList expectedTables{QStringLiteral("db")};
    for (const Case& c : cases) {
        TNic nic(&context);
        if (c.dfu)
            nic.setDfuIdentity(QStringLiteral("DFÜ"));
        else
            nic.setIdentity(c.row, false);
        nic.setDatabase(&db);
        nic.links = -1; // loading overwrites it

        const ProvisioningResult result = provisionEntry(db, nic, c.dfu ? nullptr : &c.row);
        EXPECT_TRUE(result.tablesCreated) << c.what;
        EXPECT_TRUE(result.warnings.isEmpty()) << c.what;
        EXPECT_TRUE(result.settingsLoaded) << c.what;
        EXPECT_EQ(nic.Index, c.index) << c.what;

        const QVariantList expectedRow{c.anzeigen, double(c.maxspeed), 0LL, 0LL, 100LL, 100LL, 0LL, 0LL, 0LL, 1LL,
                                       16150899LL, 16744825LL, 255LL, 16711680LL};
        EXPECT_EQ(settingsValues(db, c.index), expectedRow) << c.what;
        EXPECT_EQ(nic.anzeigen_live, c.anzeigen == "11") << c.what;
        EXPECT_EQ(nic.anzeigen_graph, c.anzeigen == "11") << c.what;
        EXPECT_EQ(nic.maxspeed, c.maxspeed) << c.what;
        EXPECT_EQ(nic.links, 0) << c.what;
        EXPECT_TRUE(TrafficStatements::allDays(db, c.index).isEmpty()) << c.what;
        expectedTables << c.index << c.index + "_einstellungen";
    }
    expectedTables.sort();
    EXPECT_EQ(db.userTables(), expectedTables);
}

TEST(Provisioning, SonderModusNamesTheTablesByTheLastFourHexDigits)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    SampleContext context;
    const IfRow row = ifRow(11, 6, 1000000000);
    for (bool sonderModus : {true, false}) {
        TNic nic(&context);
        nic.setIdentity(row, sonderModus);
        nic.setDatabase(&db);
        provisionEntry(db, nic, &row);
    }
    EXPECT_EQ(db.userTables(), (QStringList{"0000000b", "0000000b_einstellungen", "000b", "000b_einstellungen", "db"}));
}

TEST(Provisioning, ExistingTablesAreLeftAsTheyAreAndRead)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    SampleContext context;
    const IfRow row = ifRow(2, 6, 100000000);
    TNic first(&context);
    first.setIdentity(row, false);
    first.setDatabase(&db);
    provisionEntry(db, first, &row);
    db.exec(QStringLiteral("UPDATE \"00000002_einstellungen\" SET anzeigen = '10', maxspeed = 77"));
    TrafficStatements::insertDay(db, first.Index, QDate(2026, 1, 1), 5, 6);

    TNic again(&context);
    again.setIdentity(ifRow(2, 24, 8), false); // type and speed no longer matter
    again.setDatabase(&db);
    const ProvisioningResult result = provisionEntry(db, again, &row);
    EXPECT_FALSE(result.tablesCreated);
    EXPECT_TRUE(result.warnings.isEmpty());
    EXPECT_EQ(again.maxspeed, 77);
    EXPECT_TRUE(again.anzeigen_live);
    EXPECT_FALSE(again.anzeigen_graph);
    EXPECT_EQ(TrafficStatements::allDays(db, again.Index).size(), 1);
}

TEST(Provisioning, MissingTrafficTableBesideItsSettingsTableIsRecreatedWithError4)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    SampleContext context;
    const IfRow row = ifRow(11, 6, 100000000);
    TNic nic(&context);
    nic.setIdentity(row, false);
    nic.setDatabase(&db);
    provisionEntry(db, nic, &row);
    db.exec(QStringLiteral("UPDATE \"0000000b_einstellungen\" SET anzeigen = '01', maxspeed = 1234, links = 50"));
    TrafficStatements::dropTable(db, QStringLiteral("0000000b"));
    const QVariantList settingsBefore = settingsValues(db, QStringLiteral("0000000b"));

    TNic restarted(&context);
    restarted.setIdentity(row, false);
    restarted.setDatabase(&db);
    const ProvisioningResult result = provisionEntry(db, restarted, &row);
    EXPECT_TRUE(result.tablesCreated);
    EXPECT_EQ(result.warnings, QStringList{QStringLiteral("Error4")});
    EXPECT_TRUE(TrafficStatements::probeTrafficTable(db, QStringLiteral("0000000b")));
    EXPECT_EQ(settingsValues(db, QStringLiteral("0000000b")), settingsBefore) << "row untouched, still one";
    EXPECT_TRUE(result.settingsLoaded);
    EXPECT_EQ(restarted.maxspeed, 1234);
    EXPECT_EQ(restarted.links, 50);
    EXPECT_FALSE(restarted.anzeigen_live);
    EXPECT_TRUE(restarted.anzeigen_graph);
}

TEST(Provisioning, MissingSettingsTableBesideItsTrafficTableIsMadeAgainWithItsDefaults)
{
    TempHome home;
    Database db(Database::programDatabasePath());
    SampleContext context;
    const IfRow row = ifRow(11, 6, 100000000);
    TNic nic(&context);
    nic.setIdentity(row, false);
    nic.setDatabase(&db);
    provisionEntry(db, nic, &row);
    const QVariantList defaults = settingsValues(db, QStringLiteral("0000000b"));
    ASSERT_FALSE(defaults.isEmpty());
    TrafficStatements::insertDay(db, QStringLiteral("0000000b"), QDate(2026, 1, 1), 5, 6);
    TrafficStatements::dropTable(db, QStringLiteral("0000000b_einstellungen"));

    TNic restarted(&context);
    restarted.setIdentity(row, false);
    restarted.setDatabase(&db);
    const ProvisioningResult result = provisionEntry(db, restarted, &row);
    EXPECT_FALSE(result.tablesCreated) << "the traffic table was there";
    EXPECT_TRUE(result.warnings.isEmpty());
    EXPECT_TRUE(result.settingsLoaded);
    EXPECT_EQ(settingsValues(db, QStringLiteral("0000000b")), defaults);
    EXPECT_EQ(restarted.maxspeed, 12500000);
    EXPECT_EQ(TrafficStatements::allDays(db, QStringLiteral("0000000b")).size(), 1) << "its days kept";
}

TEST(Provisioning, UnusableDatabaseGivesBothWarningsAndStaysUntouched)
{
    TempHome home;
    const QByteArray foreign(3000, 'j');
    home.write(Database::fileName(), foreign);
    Database db(Database::programDatabasePath());
    SampleContext context;
    TNic nic(&context);
    nic.setDfuIdentity(QStringLiteral("DFÜ"));
    nic.setDatabase(&db);
    const ProvisioningResult result = provisionEntry(db, nic, nullptr);
    EXPECT_EQ(result.warnings, (QStringList{QStringLiteral("Error3"), QStringLiteral("Error4")}));
    EXPECT_FALSE(result.settingsLoaded);
    EXPECT_EQ(home.read(Database::fileName()), foreign);
}

} // namespace
