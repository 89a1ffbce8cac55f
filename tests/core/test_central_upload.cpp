// Sending the local days to a real central server: each machine's history arrives with the
// sums sqlite3 finds in its file, a second send changes nothing, an upload broken off by a
// stopped server goes on where it stopped, and the local file is only ever read (but for the
// marks of what was sent).
#include "engine/CentralUpload.h"
#include "storage/Database.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"
#include "storage/SentWatermarks.h"
#include "support/CentralTest.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <QRandomGenerator>

namespace {

const QDate kToday(2026, 12, 8);

std::vector<StoredRow> history(const QDate& first, int days, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<StoredRow> rows;
    for (int i = 0; i < days; ++i)
        rows.push_back({first.addDays(i).toString(Qt::ISODate),
                        static_cast<double>(random.bounded(Q_INT64_C(5000000000))),
                        static_cast<double>(random.bounded(Q_INT64_C(900000000)))});
    return rows;
}

bool sameDays(const std::map<QString, DayTraffic>& a, const std::map<QString, DayTraffic>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first && x.second.received == y.second.received && x.second.send == y.second.send
            && x.second.rows == y.second.rows;
    });
}

class CentralUploadTest : public CentralTest
{
protected:
    UploadRequest request(const QString& machineId) const
    {
        UploadRequest r;
        r.machine.id = machineId;
        r.machine.hostName = machineId + QStringLiteral("-host");
        r.target = CentralUpload::targetKey(server().connectionString(), machineId);
        r.today = kToday;
        r.completeThrough = kToday.addDays(-1);
        r.includeToday = true;
        return r;
    }

    UploadResult upload(const QString& dbPath, const UploadRequest& r, std::function<void(qint64, qint64)> progress = {})
    {
        Database local(dbPath);
        PgConnection central(server().connectionString());
        CentralUpload up(local, central);
        up.setProgress(std::move(progress));
        return up.run(r);
    }

    static void expectSumsOf(const QString& dbPath, const QString& machineId, const QString& table)
    {
        const DayTraffic local = trafficSum(dbPath, table);
        const auto central = centralSums(machineId, table);
        EXPECT_EQ(central[0], static_cast<qint64>(local.received)) << machineId.toStdString() << " " << table.toStdString();
        EXPECT_EQ(central[1], static_cast<qint64>(local.send)) << machineId.toStdString() << " " << table.toStdString();
    }

    TempHome home;
};

TEST_F(CentralUploadTest, TwoMachinesHistoriesArriveWithTheSumsOfTheirFilesAndASecondSendChangesNothing)
{
    const QString a = home.file(QStringLiteral("a.mdb"));
    const QString b = home.file(QStringLiteral("b.mdb"));
    ASSERT_TRUE(storeTrafficRows(a, QStringLiteral("00000002"), history(QDate(2023, 1, 1), 1300, 1)));
    ASSERT_TRUE(storeTrafficRows(a, QStringLiteral("00000003"), history(QDate(2024, 6, 1), 900, 2)));
    ASSERT_TRUE(storeTrafficRows(b, QStringLiteral("00000002"), history(QDate(2025, 1, 1), 700, 3)));
    // An old fault left two rows of one day: the central table has the day once, with both.
    ASSERT_TRUE(storeTrafficRows(b, QStringLiteral("00000002"), {{QStringLiteral("2025-03-03"), 11.0, 22.0}}));

    const UploadResult first = upload(a, request(QStringLiteral("machine-a")));
    EXPECT_EQ(first.rowsSent, 2200);
    EXPECT_EQ(first.rowsChanged, 2200);
    EXPECT_TRUE(first.skipped.isEmpty()) << first.skipped.join('\n').toStdString();
    EXPECT_EQ(upload(b, request(QStringLiteral("machine-b"))).rowsSent, 700);
    expectSumsOf(a, QStringLiteral("machine-a"), QStringLiteral("00000002"));
    expectSumsOf(a, QStringLiteral("machine-a"), QStringLiteral("00000003"));
    expectSumsOf(b, QStringLiteral("machine-b"), QStringLiteral("00000002"));
    EXPECT_EQ(centralSums(QStringLiteral("machine-b"), QStringLiteral("00000002"))[2], 700);

    const QStringList versions = rowVersions();
    EXPECT_EQ(upload(a, request(QStringLiteral("machine-a"))).rowsSent, 0) << "nothing is owed any more";
    UploadRequest again = request(QStringLiteral("machine-a"));
    again.everyDay = true;
    const UploadResult everything = upload(a, again);
    EXPECT_EQ(everything.rowsSent, 2200);
    EXPECT_EQ(everything.rowsChanged, 0);
    EXPECT_EQ(rowVersions(), versions) << "days sent again leave the central rows as they were";
}

TEST_F(CentralUploadTest, AnUploadBrokenOffByAStoppedServerGoesOnWhereItStoppedAndLeavesTheFileAsItWas)
{
    const QString db = home.file(QStringLiteral("a.mdb"));
    const QStringList tables{QStringLiteral("00000001"), QStringLiteral("00000002"), QStringLiteral("00000003"),
                             QStringLiteral("00000004")};
    for (int i = 0; i < tables.size(); ++i)
        ASSERT_TRUE(storeTrafficRows(db, tables[i], history(QDate(2022, 1, 1), 1500, 10 + i)));
    std::map<QString, std::map<QString, DayTraffic>> before;
    for (const QString& t : tables)
        before[t] = trafficRows(db, t);

    int batches = 0;
    try {
        upload(db, request(QStringLiteral("m")), [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, 6000);
            EXPECT_EQ(done, CentralUpload::kBatchRows);
            if (++batches == 1) {
                ASSERT_TRUE(server().stop(QStringLiteral("immediate")));
            }
        });
        FAIL() << "the upload went on without its server";
    } catch (const PgError& e) {
        EXPECT_EQ(e.kind(), PgError::Kind::Unreachable) << e.message().toStdString();
    }
    EXPECT_EQ(batches, 1);
    for (const QString& t : tables)
        EXPECT_TRUE(sameDays(trafficRows(db, t), before[t])) << t.toStdString() << ": the local days are as they were";

    ASSERT_TRUE(server().start());
    EXPECT_EQ(server().query(QStringLiteral("SELECT count(*) FROM netzpegel_days"))[0][0], QStringLiteral("5000"));
    const UploadResult rest = upload(db, request(QStringLiteral("m")));
    EXPECT_EQ(rest.rowsSent, 1000) << "only what the first upload did not send";
    EXPECT_EQ(server().query(QStringLiteral("SELECT count(*), count(DISTINCT (adapter, day)) FROM netzpegel_days"))[0],
              QStringList({QStringLiteral("6000"), QStringLiteral("6000")}));
    for (const QString& t : tables)
        expectSumsOf(db, QStringLiteral("m"), t);
}

TEST_F(CentralUploadTest, RowsThatMayStillChangeStayOwedAndTodayCarriesTheRunningTotals)
{
    const QString db = home.file(QStringLiteral("a.mdb"));
    const QString t = QStringLiteral("00000002");
    ASSERT_TRUE(storeTrafficRows(db, t, {{"2026-12-05", 5.0, 50.0}, {"2026-12-06", 6.0, 60.0}, {"2026-12-07", 7.0, 70.0},
                                         {"2026-12-08", 8.0, 80.0}}));
    UploadRequest r = request(QStringLiteral("m"));
    r.running.insert(t, {100, 1000});
    r.running.insert(QStringLiteral("00000009"), {3, 4}); // counting, nothing stored yet
    r.completeThrough = QDate(2026, 12, 6);               // the 7th's booking is still owed
    r.adapters.push_back({t, QStringLiteral("eth0"), QStringLiteral("00-AA")});
    ASSERT_TRUE(storeTrafficRows(db, QStringLiteral("00000009"), {}));
    EXPECT_EQ(upload(db, r).rowsSent, 5);
    auto day = [](const QString& adapter, const char* d) {
        return server().query(QStringLiteral("SELECT received || '/' || sent || '/' || adapter_name FROM netzpegel_days "
                                             "WHERE adapter = $1 AND day = $2"),
                              {adapter, QString::fromLatin1(d)})
            .value(0)
            .value(0);
    };
    EXPECT_EQ(day(t, "2026-12-08"), QStringLiteral("108/1080/eth0"));
    EXPECT_EQ(day(QStringLiteral("00000009"), "2026-12-08"), QStringLiteral("3/4/"));

    r.running.insert(t, {200, 2000});
    EXPECT_EQ(upload(db, r).rowsSent, 3) << "the 7th and both of today's rows again";
    EXPECT_EQ(day(t, "2026-12-08"), QStringLiteral("208/2080/eth0"));

    r.includeToday = false; // a minute's check: owed days only
    r.running.insert(t, {300, 3000});
    EXPECT_EQ(upload(db, r).rowsSent, 1);
    EXPECT_EQ(day(t, "2026-12-08"), QStringLiteral("208/2080/eth0"));

    // Another central database owes every day again.
    r.target = CentralUpload::targetKey(QStringLiteral("host=elsewhere"), QStringLiteral("m"));
    EXPECT_EQ(upload(db, r).rowsSent, 3);
}

TEST_F(CentralUploadTest, DaysNoCentralRowCanHoldAreLeftOutAndNamed)
{
    const QString db = home.file(QStringLiteral("a.mdb"));
    const QString t = QStringLiteral("00000002");
    ASSERT_TRUE(storeTrafficRows(db, t, {{"2026-01-01", -5.0, 1.0}, {"2026-01-02", 1e300, 1.0},
                                         {"kein Datum", 1.0, 1.0}, {"2026-01-04", 4.0, 40.0},
                                         {"2026-01-05", 9007199254740992.0, 0.0}}));
    const UploadResult result = upload(db, request(QStringLiteral("m")));
    EXPECT_EQ(result.rowsSent, 2);
    EXPECT_EQ(result.skipped.size(), 3) << result.skipped.join('\n').toStdString();
    EXPECT_TRUE(result.skipped.join('\n').contains(QLatin1String("2026-01-01")));
    EXPECT_TRUE(result.skipped.join('\n').contains(QLatin1String("kein Datum")));
    EXPECT_EQ(centralSums(QStringLiteral("m"), t), (std::array<qint64, 3>{9007199254740996LL, 40, 2}));
}

TEST_F(CentralUploadTest, AServerOutOfReachIsOnlyAskedWhenSomethingIsOwedAndTheFileStaysAsItWas)
{
    const QString db = home.file(QStringLiteral("a.mdb"));
    const QString t = QStringLiteral("00000002");
    ASSERT_TRUE(storeTrafficRows(db, t, history(QDate(2026, 1, 1), 30, 5)));
    const auto before = trafficRows(db, t);
    Database local(db);
    PgConnection nowhere(QStringLiteral("host=127.0.0.1 port=1 dbname=x connect_timeout=2"));
    UploadRequest r = request(QStringLiteral("m"));
    r.target = CentralUpload::targetKey(QStringLiteral("nowhere"), QStringLiteral("m"));
    try {
        CentralUpload(local, nowhere).run(r);
        FAIL() << "sent to a port nobody listens on";
    } catch (const PgError& e) {
        EXPECT_EQ(e.kind(), PgError::Kind::Unreachable) << e.message().toStdString();
    }
    EXPECT_TRUE(SentWatermarks::read(local, r.target).isEmpty());
    EXPECT_TRUE(sameDays(trafficRows(db, t), before));
    EXPECT_EQ(integrityCheck(db), QStringLiteral("ok"));

    // All sent: a minute's check then needs no server at all.
    SentWatermarks::write(local, r.target, t, QDate(2026, 1, 30));
    r.includeToday = false;
    EXPECT_EQ(CentralUpload(local, nowhere).run(r).rowsSent, 0);
    EXPECT_FALSE(nowhere.isOpen());
}

} // namespace
