// The statistics page on a real database: the adapter list, the query on its
// worker, presets on a moving clock, bad dates, a missing table, the zebra rows
// and a query still running when the window closes.
#include "acquisition/TNic.h"
#include "app/StatistikTab.h"
#include "app/TMainform.h"
#include "reports/StatistikThread.h"
#include "storage/Database.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QValidator>
#include <gtest/gtest.h>

namespace {

class StatistikTabTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0))); // a Wednesday
        table.setRows({FakeInterfaceTable::row(1, "lo", 0, 0, 24), FakeInterfaceTable::row(2, "eth0", 0, 0, 6)});
    }

    QString db() const { return home.file("Datenbank.mdb"); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = page->StringGrid2->item(row, column);
        return item ? item->text() : QString();
    }
    // Shows the page, which lists the adapters, and picks eth0.
    void pickEth0()
    {
        form->PageControl1->setCurrentIndex(2);
        ASSERT_EQ(page->Nic_ComboBox->count(), 3);
        EXPECT_EQ(page->Nic_ComboBox->itemText(1), "eth0 (00000002)");
        EXPECT_EQ(page->Nic_ComboBox->currentIndex(), -1) << "the selection is lost";
        page->Nic_ComboBox->setCurrentIndex(1);
    }
    bool finished()
    {
        return waitFor([&] { return page->Statistik == nullptr; });
    }
    void start()
    {
        form = std::make_unique<TMainform>(services, QStringList());
        ASSERT_TRUE(form->started());
        page = form->TabSheet3;
    }

    std::unique_ptr<TMainform> form;
    StatistikTab* page = nullptr;
};

TEST_F(StatistikTabTest, PickingAnAdapterListsItsDaysWithTodaysUnbookedTrafficAndTotals)
{
    start();
    ASSERT_TRUE(storeTrafficRows(db(), "00000002",
                                 {{"2026-12-01", 10.0, 1024.0}, {"2026-12-03", 20.0, 2048.0}, {"2026-12-09", 30.0, 0.0}}));
    form->entries()[1]->set_gesamt_received(1000);
    pickEth0();
    page->Nic_ComboBoxSelect(1);
    EXPECT_FALSE(page->Nic_ComboBox->isEnabled()) << "no second query while one runs";
    EXPECT_FALSE(page->Bericht_Update_Button->isEnabled());
    ASSERT_TRUE(finished());
    EXPECT_TRUE(page->Nic_ComboBox->isEnabled());
    EXPECT_TRUE(page->Bericht_Update_Button->isEnabled());
    ASSERT_EQ(page->StringGrid2->rowCount(), 3);
    EXPECT_EQ(page->StringGrid2->horizontalHeaderItem(1)->text(), "Empfangen");
    EXPECT_EQ(cell(0, 0), "01.12.2026");
    EXPECT_EQ(cell(1, 2), "2,00 KiB");
    EXPECT_EQ(cell(2, 1), "1,01 KiB") << "today's row with the traffic not booked yet";
    EXPECT_EQ(page->EditD5->text(), "1,04 KiB");
    EXPECT_EQ(page->EditD6->text(), "3,00 KiB");
    EXPECT_EQ(page->EditD1->text(), "353,33 Byte");
    EXPECT_EQ(page->EditD2->text(), "1024,00 Byte");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StatistikTabTest, JustAfterMidnightTheUnbookedTrafficStaysWithTheDayItWasCountedOn)
{
    start();
    ASSERT_TRUE(storeTrafficRows(db(), "00000002", {{"2026-12-08", 10.0, 10.0}}));
    form->entries()[1]->set_gesamt_received(1000);
    // Past midnight, before the minute's check has booked the 9th.
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 30)));
    pickEth0();
    page->Nic_ComboBoxSelect(1);
    ASSERT_TRUE(finished());
    ASSERT_EQ(page->StringGrid2->rowCount(), 2);
    EXPECT_EQ(cell(1, 0), "09.12.2026");
    EXPECT_EQ(cell(1, 1), "1000,00 Byte");

    // Once the day is booked, the running totals are the 10th's.
    form->DatumsprueftimerTimer();
    form->entries()[1]->set_gesamt_received(24);
    page->Nic_ComboBoxSelect(1);
    ASSERT_TRUE(finished());
    ASSERT_EQ(page->StringGrid2->rowCount(), 3);
    EXPECT_EQ(cell(1, 0), "09.12.2026");
    EXPECT_EQ(cell(1, 1), "1000,00 Byte");
    EXPECT_EQ(cell(2, 0), "10.12.2026");
    EXPECT_EQ(cell(2, 1), "24,00 Byte");
}

TEST_F(StatistikTabTest, PresetsFillTheFieldsFromTheClockAndQueryAtOnce)
{
    start();
    ASSERT_TRUE(storeTrafficRows(db(), "00000002", {{"2026-11-30", 1.0, 1.0}, {"2026-12-07", 2.0, 2.0}}));
    EXPECT_EQ(page->SearchType_ComboBox->currentIndex(), 0);
    EXPECT_EQ(page->SearchType_ComboBox->itemText(2), "Letzte Woche");
    pickEth0();
    struct Case
    {
        QDate today;
        int preset;
        const char* von;
        const char* bis;
        const char* firstRow;
    };
    const Case cases[] = {
        {QDate(2026, 12, 9), 1, "09.12.2026", "", ""},
        {QDate(2026, 12, 9), 2, "30.11.2026", "06.12.2026", "30.11.2026"},
        {QDate(2026, 12, 9), 3, "07.12.2026", "13.12.2026", "07.12.2026"},
        {QDate(2027, 1, 20), 4, "01.12.2026", "31.12.2026", "07.12.2026"},
        {QDate(2026, 12, 31), 5, "01.12.2026", "31.12.2026", "07.12.2026"},
    };
    for (const Case& c : cases) {
        clock.set(QDateTime(c.today, QTime(12, 0)));
        page->SearchType_ComboBoxSelect(c.preset);
        EXPECT_EQ(page->VonEdit->text(), c.von) << c.preset;
        EXPECT_EQ(page->BisEdit->text(), c.bis) << c.preset;
        EXPECT_FALSE(page->VonEdit->isEnabled());
        EXPECT_NE(page->Statistik, nullptr) << "the query starts at once";
        ASSERT_TRUE(finished());
        EXPECT_EQ(page->StringGrid2->rowCount(), 1) << c.preset;
        EXPECT_EQ(cell(0, 0), c.firstRow) << c.preset;
    }
    // Today has no row: one empty row under the header, zeros in the fields.
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    page->SearchType_ComboBoxSelect(1);
    ASSERT_TRUE(finished());
    EXPECT_EQ(page->StringGrid2->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(page->EditD5->text(), "0");
    // Own dates: the fields open again and keep their text; nothing runs.
    page->SearchType_ComboBoxSelect(0);
    EXPECT_TRUE(page->VonEdit->isEnabled());
    EXPECT_EQ(page->VonEdit->text(), "09.12.2026");
    EXPECT_EQ(page->Statistik, nullptr);
}

TEST_F(StatistikTabTest, TheDateFieldsShowAnExampleInTheirFormatAndAHintInTheUsersLanguage)
{
    services.chooseFile = [this](const QString&, const QString&) { return home.file("english.lan"); };
    start();
    const struct
    {
        const char* language;
        QString hint;
    } cases[] = {{"deutsch", "Ein Datum im kurzen Datumsformat, z. B. 31.12.2026"},
                 {"english", "A date in the short date format, e.g. 31.12.2026"}};
    for (const auto& c : cases) {
        if (QByteArray(c.language) == "english")
            form->Button4Click();   // the language file chosen on the settings tab
        for (const QLineEdit* e : {page->VonEdit, page->BisEdit}) {
            EXPECT_EQ(e->placeholderText(), "31.12.2026") << c.language << ": the German short date";
            EXPECT_EQ(e->toolTip(), c.hint) << c.language;
        }
    }
}

TEST_F(StatistikTabTest, ALanguageChosenLaterShowsOwnDatesWithTheFieldsOpen)
{
    services.chooseFile = [this](const QString&, const QString&) { return home.file("english.lan"); };
    start();
    pickEth0();
    page->SearchType_ComboBoxSelect(3);
    ASSERT_TRUE(finished());
    ASSERT_FALSE(page->VonEdit->isEnabled());
    form->Button4Click();
    EXPECT_EQ(page->SearchType_ComboBox->currentIndex(), 0);
    EXPECT_EQ(page->SearchType_ComboBox->currentText(), "Custom period");
    EXPECT_TRUE(page->VonEdit->isEnabled()) << "own dates can be typed";
    EXPECT_TRUE(page->BisEdit->isEnabled());
}

TEST_F(StatistikTabTest, DatesInTheWrongFormGetAMessageAndNoQuery)
{
    start();
    pickEth0();
    for (auto [von, bis] : {std::pair{"31.11.2026", ""}, std::pair{"", "01.12.2026"}, std::pair{"01.12.2026", "1..2"},
                            std::pair{"2026", ""}}) {
        messages.shown.clear();
        page->VonEdit->setText(QString::fromLatin1(von));
        page->BisEdit->setText(QString::fromLatin1(bis));
        page->Bericht_Update_ButtonClick();
        EXPECT_EQ(page->Statistik, nullptr) << von << " " << bis;
        ASSERT_EQ(messages.shown.size(), 1u) << von << " " << bis;
        EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Error);
        EXPECT_TRUE(messages.shown[0].text.startsWith("Ungültiges Datum"));
    }
    // Keys: digits and the date's separators only, typed or pasted.
    const QValidator* keys = page->VonEdit->validator();
    for (const char* text : {"01.12.2026", "1/12/2026", ""}) {
        QString input = QString::fromLatin1(text);
        int pos = 0;
        EXPECT_EQ(keys->validate(input, pos), QValidator::Acceptable) << text;
    }
    for (const char* text : {"a", "01-12", "01,12"}) {
        QString input = QString::fromLatin1(text);
        int pos = 0;
        EXPECT_EQ(keys->validate(input, pos), QValidator::Invalid) << text;
    }
}

TEST_F(StatistikTabTest, UpdateWithoutAnAdapterDoesNothing)
{
    start();
    form->PageControl1->setCurrentIndex(2);
    page->Bericht_Update_ButtonClick();
    EXPECT_EQ(page->Statistik, nullptr);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StatistikTabTest, MissingTableGetsErrorAndClearsTheGrid)
{
    start();
    ASSERT_TRUE(storeTrafficRows(db(), "00000002", {{"2026-12-01", 10.0, 10.0}}));
    pickEth0();
    page->Nic_ComboBoxSelect(1);
    ASSERT_TRUE(finished());
    ASSERT_EQ(cell(0, 0), "01.12.2026");
    Database(db()).exec(QStringLiteral("DROP TABLE \"00000002\""));
    page->Bericht_Update_ButtonClick();
    ASSERT_TRUE(finished());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Die Statistik konnte nicht abgefragt werden."));
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(page->EditD5->text(), "10,00 Byte") << "the totals stay";
    EXPECT_TRUE(page->Nic_ComboBox->isEnabled());
}

TEST_F(StatistikTabTest, ASecondRequestWhileOneRunsIsIgnoredAndARunAtCloseIsStopped)
{
    start();
    // Decades of days: far more than the query goes through while the window closes.
    std::vector<StoredRow> years;
    for (QDate d(1976, 12, 1); d < QDate(2026, 12, 1); d = d.addDays(1))
        years.push_back({d.toString(Qt::ISODate), 1e9, 2e9});
    ASSERT_TRUE(storeTrafficRows(db(), "00000002", years));
    form->NicEngineTimer();
    table.addOctets(2, 70000, 3000);
    form->NicEngineTimer();
    pickEth0();
    page->Nic_ComboBoxSelect(1);
    const QPointer<StatistikThread> running = page->Statistik;
    ASSERT_NE(running, nullptr);
    // The run ends for this page only once this thread hears of it.
    page->SearchType_ComboBoxSelect(3);
    page->Bericht_Update_ButtonClick();
    EXPECT_EQ(page->Statistik, running) << "the second request is ignored";
    form->close();
    EXPECT_EQ(page->Statistik, nullptr) << "stopped and forgotten at close";
    ASSERT_TRUE(running) << "freed later, by the event loop";
    EXPECT_TRUE(running->isFinished());
    EXPECT_FALSE(running->completed()) << "stopped before its result, not waited for";
    Database stored(db());
    const QList<DayValues> days = storedDays(stored, QStringLiteral("00000002"));
    ASSERT_EQ(days.size(), static_cast<qsizetype>(years.size()) + 1);
    EXPECT_EQ(days.last(), (DayValues{QDate(2026, 12, 9), 70000, 3000})) << "the day is booked at close all the same";
    waitFor([&] { return running.isNull(); });
    EXPECT_EQ(page->StringGrid2->item(0, 0), nullptr) << "nothing of the stopped query is shown";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StatistikTabTest, EverySecondRowIsDrawnOnGrey)
{
    start();
    ASSERT_TRUE(storeTrafficRows(db(), "00000002",
                                 {{"2026-12-01", 1.0, 1.0}, {"2026-12-02", 2.0, 2.0}, {"2026-12-03", 3.0, 3.0}}));
    form->show();
    pickEth0();
    page->Nic_ComboBoxSelect(1);
    ASSERT_TRUE(finished());
    QTableWidget* grid = page->StringGrid2;
    grid->clearSelection();
    const QImage shot = grid->viewport()->grab().toImage();
    auto background = [&](int row) {
        const QRect r = grid->visualRect(grid->model()->index(row, 2));
        return QColor(shot.pixel(r.right() - 3, r.bottom() - 2));
    };
    EXPECT_EQ(background(1), QColor(217, 216, 213)) << "grid row 2";
    EXPECT_NE(background(0), QColor(217, 216, 213)) << "grid row 1";
    EXPECT_NE(background(2), QColor(217, 216, 213)) << "grid row 3";
}

} // namespace
