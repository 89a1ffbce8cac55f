// Interfaces that come and go while the main window runs: adopted ones get
// their tables, entry, graph window, grid row and chooser item; grid rows and
// graph windows stay with their adapters; crashes and restarts after an
// adoption count every byte once.
#include "acquisition/TNic.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/TMainform.h"
#include "graph/ui/TGraphenform.h"
#include "storage/Database.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QFile>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>

namespace {

IfRow ethernet(uint32_t index, const QString& name, uint64_t in = 0, uint64_t out = 0)
{
    IfRow r = FakeInterfaceTable::row(index, name, in, out, 6);
    r.speed = 100'000'000;
    return r;
}

QString id(uint32_t index)
{
    return TNic::adapterId(index, false);
}

class MainformInterfacesTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        table.setRows({FakeInterfaceTable::row(1, "lo", 0, 0, 24), ethernet(2, "eth0")});
    }

    QString dbPath() const { return home.file("Datenbank.mdb"); }

    std::string shownTexts() const
    {
        QStringList texts;
        for (const RecordingMessageSink::Entry& e : messages.shown)
            texts << e.text;
        return texts.join('\n').toStdString();
    }

    QString anzeigen(const QString& index)
    {
        Database db(dbPath());
        const QList<DbRow> rows =
            db.query(QStringLiteral("SELECT anzeigen FROM %1").arg(Database::quoteIdentifier(index + "_einstellungen")));
        return rows.isEmpty() ? QString() : rows[0].text(QStringLiteral("anzeigen"));
    }

    DayTraffic today(uint32_t index)
    {
        return trafficRows(dbPath(), id(index))[QStringLiteral("2026-12-08")];
    }

    void addRow(const IfRow& row)
    {
        std::vector<IfRow> rows = table.rows();
        rows.push_back(row);
        std::sort(rows.begin(), rows.end(), [](const IfRow& a, const IfRow& b) { return a.index < b.index; });
        table.setRows(rows);
    }

    void removeRow(uint32_t index)
    {
        std::vector<IfRow> rows = table.rows();
        std::erase_if(rows, [&](const IfRow& r) { return r.index == index; });
        table.setRows(rows);
    }

    static QStringList indexes(const TMainform& form)
    {
        QStringList out;
        for (const TNic* nic : form.entries())
            out << nic->Index;
        return out;
    }

    // Every graph window shows the entry at its position, and every grid row
    // the entry it names.
    static void expectWindowsAndRowsWithTheirAdapters(TMainform& form)
    {
        const auto& v = form.entries();
        const auto& g = form.graphWindows();
        ASSERT_EQ(v.size(), g.size());
        QStringList shown;
        for (size_t i = 0; i < v.size(); ++i) {
            EXPECT_EQ(g[i]->nic(), v[i]) << i;
            EXPECT_TRUE(g[i]->windowTitle().startsWith(v[i]->Name)) << g[i]->windowTitle().toStdString();
            if (v[i]->anzeigen_live && !v[i]->isDfu())
                shown << v[i]->Index;
        }
        QTableWidget* grid = form.TabSheet1->StringGrid1;
        for (int r = 0; r < shown.size(); ++r) {
            ASSERT_NE(grid->item(r, 5), nullptr) << r;
            EXPECT_EQ(grid->item(r, 5)->text(), shown[r]) << r;
        }
    }
};

TEST_F(MainformInterfacesTest, AnInterfaceThatAppearsIsAdoptedAsAtStartUpBeforeTheDialUpEntry)
{
    TMainform form(services, {});
    form.show();
    form.PageControl1->setCurrentIndex(1); // the chooser is filled
    QComboBox* chooser = form.TabSheet2->Einstellungen_Nic_ComboBox;
    chooser->setCurrentIndex(2);
    form.Einstellungen_Nic_ComboBoxSelect(2);
    ASSERT_EQ(form.TabSheet2->DatenbankID_Edit->text(), "dfu");
    form.NicEngineTimer();

    // A USB adapter (device-backed Ethernet) and a container's veth appear.
    addRow(ethernet(5, "eth1", 3000, 1000));
    // A name of fifteen bytes that are no text, as the kernel allows.
    addRow(FakeInterfaceTable::row(7, QString::fromLocal8Bit("\xff\xfe\x80\x81\xc3\x28\xa1\xe2\x28\xa2\xf0\x28\x8c\xbc\xfd"),
                                   800, 900, 131));
    form.NicEngineTimer();

    EXPECT_EQ(indexes(form), QStringList({id(1), id(2), id(5), id(7), "dfu"}));
    EXPECT_EQ(anzeigen(id(5)), "11");
    EXPECT_EQ(anzeigen(id(7)), "00") << "virtual: provisioned hidden";
    EXPECT_EQ(trafficTables(dbPath()), QStringList({id(1), id(2), id(5), id(7), "dfu"}));
    TNic* eth1 = form.entries()[2];
    EXPECT_EQ(eth1->maxspeed, 12500000);
    EXPECT_EQ(eth1->get_gesamt_received(), 3000) << "its first sample: all it counted since it appeared";
    EXPECT_EQ(form.entries()[3]->get_gesamt_received(), 0) << "hidden: not sampled";
    EXPECT_TRUE(form.graphWindows()[2]->isVisible());
    EXPECT_FALSE(form.graphWindows()[3]->isVisible());
    EXPECT_EQ(form.graphWindows().back()->nic()->Index, "dfu");
    EXPECT_EQ(form.TabSheet1->StringGrid1->rowCount(), 3) << "eth0, eth1 and the dial-up entry";
    ASSERT_EQ(chooser->count(), 5);
    EXPECT_EQ(chooser->itemText(2), "eth1");
    EXPECT_EQ(chooser->currentIndex(), 4) << "the dial-up entry stays chosen";
    expectWindowsAndRowsWithTheirAdapters(form);

    table.addOctets(5, 500, 250);
    form.NicEngineTimer();
    EXPECT_EQ(eth1->get_gesamt_received(), 3500);
    EXPECT_EQ(eth1->get_gesamt_send(), 1250);
    EXPECT_TRUE(messages.shown.empty()) << shownTexts();
    form.close();
    EXPECT_EQ(today(5).received, 3500);
    EXPECT_EQ(today(5).send, 1250);
    EXPECT_EQ(today(5).rows, 1);
}

TEST_F(MainformInterfacesTest, GridRowsAndGraphWindowsStayWithTheirAdaptersWhileRowsMove)
{
    table.setRows({ethernet(2, "eth0"), ethernet(4, "eth1"), ethernet(6, "eth2")});
    TMainform form(services, {});
    form.show();
    form.NicEngineTimer();

    // eth0 goes, a new interface takes a lower index than eth2, rows come reversed.
    removeRow(2);
    addRow(ethernet(3, "usb0"));
    std::reverse(table.rows().begin(), table.rows().end());
    table.addOctets(4, 4000, 40);
    table.addOctets(6, 6000, 60);
    form.NicEngineTimer();
    table.addOctets(3, 3000, 30);
    form.NicEngineTimer();

    EXPECT_EQ(indexes(form), QStringList({id(2), id(4), id(6), id(3), "dfu"}));
    expectWindowsAndRowsWithTheirAdapters(form);
    const auto& v = form.entries();
    const auto& g = form.graphWindows();
    EXPECT_EQ(v[1]->get_gesamt_received(), 4000);
    EXPECT_EQ(v[2]->get_gesamt_received(), 6000);
    EXPECT_EQ(v[3]->get_gesamt_received(), 3000);
    EXPECT_EQ(v[0]->get_rate_received(), 0) << "gone: no rate";
    // Each window's totals bar shows its own adapter's totals.
    for (size_t i = 1; i < 4; ++i)
        EXPECT_TRUE(g[i]->Gesamt_StatusBar->currentMessage().endsWith(
            form.TabSheet1->StringGrid1->item(static_cast<int>(i), 4)->text()))
            << i << ": " << g[i]->Gesamt_StatusBar->currentMessage().toStdString();

    // eth0 back under its index: it counts on.
    addRow(ethernet(2, "eth0", 700, 70));
    form.NicEngineTimer();
    EXPECT_EQ(v[0]->get_gesamt_received(), 700);
    EXPECT_EQ(form.entries().size(), 5u) << "no second entry for it";
}

// A run adopts eth1, writes its cache, counts on and is killed. The next start
// finds the interfaces in one of several states and is killed too; each
// adapter's day then holds exactly what its counters grew by, counted once.
struct RestartCase
{
    const char* what;
    std::vector<IfRow> rowsAtRestart;
    // Expected day totals (received) of eth0, eth1 and eth9 (-1: none) after the restarts.
    double eth0, eth1, eth9;
};

void PrintTo(const RestartCase& c, std::ostream* os)
{
    *os << c.what;
}

class MainformRestartTest : public MainformInterfacesTest, public ::testing::WithParamInterface<RestartCase>
{
};

TEST_P(MainformRestartTest, ARestartAfterACrashAfterAnAdoptionCountsEveryByteOnce)
{
    const RestartCase& c = GetParam();
    table.setRows({ethernet(2, "eth0")});
    {
        TMainform form(services, {});
        form.NicEngineTimer();
        addRow(ethernet(5, "eth1"));
        form.NicEngineTimer(); // adopted at 0
        table.addOctets(2, 1000, 0);
        table.addOctets(5, 3000, 0);
        form.NicEngineTimer();
        form.CacheToHDDTimerTimer();
        table.addOctets(2, 10, 0);
        table.addOctets(5, 30, 0);
        form.NicEngineTimer();
        // killed: no close
    }
    table.setRows(c.rowsAtRestart);
    {
        TMainform killedAtOnce(services, {});
    }
    {
        TMainform form(services, {});
        form.NicEngineTimer();
        form.close();
    }
    EXPECT_EQ(today(2).received, c.eth0);
    EXPECT_EQ(today(5).received, c.eth1);
    EXPECT_EQ(today(5).rows, 1);
    if (c.eth9 >= 0) {
        EXPECT_EQ(today(9).received, c.eth9);
    }
    EXPECT_FALSE(QFile::exists(home.file("netzpegel.cache.pending")));
    EXPECT_TRUE(messages.shown.empty()) << shownTexts();
}

INSTANTIATE_TEST_SUITE_P(
    InterfacesAtRestart, MainformRestartTest,
    ::testing::Values(
        // Counted on from the counters saved with the cache: the 10 and 30 after it too.
        RestartCase{"both still there", {ethernet(2, "eth0", 1010, 0), ethernet(5, "eth1", 3030, 0)}, 1010, 3030, -1},
        // eth1's totals as cached are booked at the start; what came after went with it.
        RestartCase{"eth1 gone", {ethernet(2, "eth0", 1010, 0)}, 1010, 3000, -1},
        // As many interfaces as entries, in another order: still each its own totals.
        RestartCase{"eth0 gone, another one new", {ethernet(5, "eth1", 3030, 0), ethernet(9, "eth9", 0, 0)}, 1000,
                    3030, 0}));

TEST_F(MainformInterfacesTest, AnOwedDayOfAnAdapterAbsentAtTheStartIsBookedWhenItIsAdopted)
{
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(23, 58)));
    {
        TMainform form(services, {});
        addRow(ethernet(5, "eth1"));
        form.NicEngineTimer();
        table.addOctets(5, 6000, 2000);
        form.NicEngineTimer();
        {
            Database db(dbPath());
            setTrafficTableAside(db, id(5));
        }
        clock.advanceSeconds(3 * 60);
        form.DatumsprueftimerTimer(); // eth1's day cannot be booked: owed
        // killed
    }
    {
        Database db(dbPath());
        restoreTrafficTable(db, id(5));
    }
    removeRow(5);
    messages.shown.clear();
    TMainform form(services, {});
    form.DatumsprueftimerTimer();
    EXPECT_TRUE(QFile::exists(home.file("netzpegel.cache.pending"))) << "kept for eth1, absent";
    addRow(ethernet(5, "eth1", 6000, 2000));
    form.NicEngineTimer();
    form.DatumsprueftimerTimer();
    EXPECT_FALSE(QFile::exists(home.file("netzpegel.cache.pending")));
    form.close();
    const DayTraffic owed = trafficRows(dbPath(), id(5))[QStringLiteral("2026-12-08")];
    EXPECT_EQ(owed.rows, 1);
    EXPECT_EQ(owed.received, 6000);
    EXPECT_EQ(owed.send, 2000);
}

TEST_F(MainformInterfacesTest, AFailedReadCountsNothingAndAdoptsNothing)
{
    TMainform form(services, {});
    form.NicEngineTimer();
    addRow(ethernet(5, "eth1", 10, 10));
    table.addOctets(2, 100, 100);
    table.setReadFails(true);
    form.NicEngineTimer();
    EXPECT_EQ(form.entries().size(), 3u);
    EXPECT_EQ(form.entries()[1]->get_gesamt_received(), 0);
    table.setReadFails(false);
    form.NicEngineTimer();
    EXPECT_EQ(form.entries().size(), 4u);
    EXPECT_EQ(form.entries()[1]->get_gesamt_received(), 100);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainformInterfacesTest, FiveHundredInterfacesAppearingAreAllTakenOnAndCounted)
{
    TMainform form(services, {});
    form.show();
    form.NicEngineTimer();
    for (uint32_t i = 0; i < 500; ++i)
        addRow(ethernet(100 + i, QStringLiteral("veth%1").arg(i)));
    form.NicEngineTimer();
    ASSERT_EQ(form.entries().size(), 503u);
    EXPECT_EQ(form.graphWindows().size(), 503u);
    EXPECT_EQ(form.entries().back()->Index, "dfu");
    for (uint32_t i = 0; i < 500; ++i)
        table.addOctets(100 + i, i, 1);
    form.NicEngineTimer();
    EXPECT_EQ(form.TabSheet1->StringGrid1->rowCount(), 502) << "eth0, the 500 and the dial-up entry";
    form.close();
    EXPECT_EQ(today(100 + 499).received, 499);
    EXPECT_EQ(today(100 + 499).send, 1);
    EXPECT_EQ(trafficTables(dbPath()).size(), 503);
    EXPECT_TRUE(messages.shown.empty()) << shownTexts();
}

TEST_F(MainformInterfacesTest, AHexadecimalCacheIntervalIsTenMinutes)
{
    home.write("netzpegel.ini", "[Allgemein]\nCacheInterval=0x0A\n");
    TMainform form(services, {});
    EXPECT_TRUE(messages.shown.empty()) << shownTexts();
    EXPECT_TRUE(form.CacheToHDDTimer->isActive());
    EXPECT_EQ(form.CacheToHDDTimer->interval(), 600000);
}

} // namespace
