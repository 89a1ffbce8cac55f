// The database tab in the main window: table lists, the five commands on a
// worker while the timers go on, the question before a delete, refusals, the
// file choosers, and a close while an operation runs.
#include "acquisition/TNic.h"
#include "app/DatenbankTab.h"
#include "app/TMainform.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

const QString kEth = QStringLiteral("00000002");

class DatenbankTabTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        table.setRows({FakeInterfaceTable::row(2, "eth0", 0, 0, 6)});
        services.chooseFile = [this](const QString& folder, const QString& filter) {
            chooserCalls << folder + QLatin1Char('|') + filter;
            return openChoice;
        };
        services.chooseSaveFile = [this](const QString& folder, const QString& filter) {
            chooserCalls << folder + QLatin1Char('|') + filter;
            return saveChoice;
        };
        form = std::make_unique<TMainform>(services, QStringList());
        ASSERT_TRUE(form->started());
        tab = form->TabSheet5;
        QObject::connect(tab, &DatenbankTab::commandFinished, [this] { ++finished; });
        Database db(dbPath());
        TrafficStatements::insertDay(db, kEth, QDate(2026, 12, 1), 100, 10);
        TrafficStatements::insertDay(db, kEth, QDate(2026, 12, 2), 200, 20);
    }

    QString dbPath() const { return home.file(QStringLiteral("Datenbank.mdb")); }
    QList<DayValues> days(const QString& table)
    {
        Database db(dbPath());
        return db.userTables().contains(table) ? storedDays(db, table) : QList<DayValues>();
    }
    QStringList tables()
    {
        Database db(dbPath());
        return db.userTables();
    }
    // Chooses on the page as a user would, and presses the button.
    void run(const QString& source, int command, const QString& destination = {})
    {
        form->PageControl1->setCurrentIndex(4);
        tab->Tables_Source_ComboBox->setCurrentIndex(tab->Tables_Source_ComboBox->findText(source));
        tab->Befehlauswahl_ComboBox->setCurrentIndex(command);
        tab->Tables_Destination_ComboBox->setEditText(destination);
        tab->Button3->click();
    }
    bool waitForResult() { return waitFor([this] { return finished > 0; }); }
    QString lastMessage() const { return messages.shown.empty() ? QString() : messages.shown.back().text; }

    std::unique_ptr<TMainform> form;
    DatenbankTab* tab = nullptr;
    int finished = 0;
    QStringList chooserCalls;
    QString openChoice;
    QString saveChoice;
};

TEST_F(DatenbankTabTest, ShowingThePageListsTheTablesAndTheCommandsOfTheLanguageFile)
{
    EXPECT_EQ(tab->Tables_Source_ComboBox->count(), 0);
    form->PageControl1->setCurrentIndex(4);
    QStringList listed;
    for (int i = 0; i < tab->Tables_Source_ComboBox->count(); ++i)
        listed << tab->Tables_Source_ComboBox->itemText(i);
    EXPECT_EQ(listed, tables());
    EXPECT_TRUE(listed.contains(kEth));
    EXPECT_EQ(tab->Tables_Destination_ComboBox->count(), listed.size());
    QStringList commands;
    for (int i = 0; i < tab->Befehlauswahl_ComboBox->count(); ++i)
        commands << tab->Befehlauswahl_ComboBox->itemText(i);
    EXPECT_EQ(commands, (QStringList{"Tabelle löschen", "Tabelle kopieren", "Tabelle verschieben",
                                     "Tabelle exportieren", "Tabelle importieren"}));
    EXPECT_EQ(tab->Befehlauswahl_ComboBox->currentIndex(), -1);
    EXPECT_EQ(form->PageControl1->tabText(4), "Datenbank");
    EXPECT_EQ(tab->Button3->text(), "Ausführen");
}

TEST_F(DatenbankTabTest, ACopyRunsApartWhileTheAdaptersAreSampled)
{
    auto lock = std::make_unique<DatabaseWriteLock>(dbPath());
    ASSERT_TRUE(lock->held());
    run(kEth, 1, "archiv");
    // The copy waits for the lock on its own thread; the window goes on.
    EXPECT_TRUE(tab->busy());
    EXPECT_FALSE(tab->Button3->isEnabled());
    // The window's timers go on while the worker waits for the lock: their handlers do not wait for it.
    EXPECT_TRUE(form->NicEngine->isActive());
    const int reads = table.readCount();
    form->NicEngineTimer();
    table.addOctets(2, 5000, 700);
    form->NicEngineTimer();
    EXPECT_EQ(table.readCount(), reads + 2);
    EXPECT_EQ(form->entries()[0]->get_gesamt_received(), 5000) << "sampled during the operation";
    form->CacheToHDDTimerTimer();
    EXPECT_TRUE(tab->busy());
    EXPECT_EQ(finished, 0);
    lock.reset();

    ASSERT_TRUE(waitForResult());
    EXPECT_FALSE(tab->busy());
    EXPECT_TRUE(tab->Button3->isEnabled());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Information);
    EXPECT_EQ(lastMessage(), "Der Befehl „Tabelle kopieren“ wurde erfolgreich ausgeführt.");
    EXPECT_EQ(days("archiv"), days(kEth));
    EXPECT_EQ(tab->Db_ProgressBar->value(), tab->Db_ProgressBar->maximum());
    EXPECT_GE(tab->Tables_Source_ComboBox->findText("archiv"), 0) << "lists refreshed after the command";
}

TEST_F(DatenbankTabTest, DeleteAsksNamingTheDaysAndTheNextBookingMakesTheTableAgain)
{
    messages.answer = false;
    run(kEth, 0);
    ASSERT_EQ(messages.asked.size(), 1);
    EXPECT_EQ(messages.asked[0], "Die Tabelle „00000002“ mit ihren 2 gespeicherten Tagen endgültig löschen?");
    EXPECT_FALSE(tab->busy());
    EXPECT_TRUE(messages.shown.empty()) << "No is no command";
    EXPECT_EQ(days(kEth).size(), 2);

    messages.answer = true;
    run(kEth + "_einstellungen", 0);
    EXPECT_EQ(messages.asked.back(), "Die Tabelle „00000002_einstellungen“ endgültig löschen?");
    ASSERT_TRUE(waitForResult());
    run(kEth, 0);
    ASSERT_TRUE(waitFor([this] { return finished == 2; }));
    EXPECT_EQ(lastMessage(), "Der Befehl „Tabelle löschen“ wurde erfolgreich ausgeführt.");
    EXPECT_FALSE(tables().contains(kEth));
    EXPECT_EQ(tab->Tables_Source_ComboBox->findText(kEth), -1);

    form->NicEngineTimer();
    table.addOctets(2, 300, 30);
    form->NicEngineTimer();
    form->close();
    EXPECT_EQ(days(kEth), (QList<DayValues>{{QDate(2026, 12, 8), 300, 30}})) << "booked into a new table";
    // Its settings are saved into a new settings table too, not refused at every close.
    EXPECT_TRUE(tables().contains(kEth + "_einstellungen"));
    for (const auto& shown : messages.shown)
        EXPECT_NE(shown.icon, MessageSink::Icon::Error) << shown.text.toStdString();
}

TEST_F(DatenbankTabTest, RefusalsShowTheirMessageBeforeAnyQuestionOrDialog)
{
    const QString db = QStringLiteral("Die Tabelle „db“ enthält die Datenbankversion und kann nicht bearbeitet werden.");
    const struct
    {
        const char* source;
        int command;
        const char* destination;
        QString message;
    } cases[] = {
        {"db", 0, "", db},
        {"db", 1, "x", db},
        {"db", 2, "x", db},
        {"db", 3, "", db},
        {"db", 4, "x", db}, // an import into another table too
        {"db", -1, "", db}, // even with no command chosen
        {"00000002", 1, "00000002", "Quell- und Zieltabelle dürfen nicht dieselbe Tabelle sein."},
        {"00000002", 2, "00000002", "Quell- und Zieltabelle dürfen nicht dieselbe Tabelle sein."},
        {"00000002_einstellungen", 2, "x",
         "Der Befehl „Tabelle verschieben“ ist fehlgeschlagen: Die Daten konnten nicht übertragen werden. "
         "Einstellungstabellen lassen sich weder kopieren noch verschieben.\n\"00000002_einstellungen\" ist eine "
         "Einstellungstabelle und enthält keine Tage."},
        {"00000002", 4, "", "Der Befehl „Tabelle importieren“ ist fehlgeschlagen: Die Datei konnte nicht importiert "
                            "werden.\nEs wurde keine Zieltabelle angegeben."},
    };
    const QStringList before = tables();
    for (const auto& c : cases) {
        messages.shown.clear();
        run(QString::fromUtf8(c.source), c.command, QString::fromUtf8(c.destination));
        EXPECT_FALSE(tab->busy()) << c.source << " " << c.command;
        ASSERT_EQ(messages.shown.size(), 1u) << c.source << " " << c.command;
        EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Error);
        EXPECT_EQ(messages.shown[0].text, c.message) << c.source << " " << c.command;
    }
    EXPECT_TRUE(messages.asked.isEmpty());
    EXPECT_TRUE(chooserCalls.isEmpty());
    EXPECT_EQ(tables(), before);
    EXPECT_EQ(days(kEth).size(), 2);

    messages.shown.clear();
    run(kEth, -1);
    EXPECT_TRUE(messages.shown.empty()) << "no command, no message";
}

TEST_F(DatenbankTabTest, ExportAndImportGoThroughTheFileChoosers)
{
    saveChoice = home.file("sicherung"); // typed without extension
    run(kEth, 3);
    ASSERT_TRUE(waitForResult());
    EXPECT_EQ(chooserCalls, QStringList{home.folder() + "|Tabellendateien (*.tab)"});
    EXPECT_EQ(lastMessage(), "Der Befehl „Tabelle exportieren“ wurde erfolgreich ausgeführt.");
    EXPECT_EQ(home.read("sicherung_00000002.tab"), QByteArray("12/01/2026\r\n100\r\n10\r\n12/02/2026\r\n200\r\n20\r\n"));

    openChoice = home.file("sicherung_00000002.tab");
    run(kEth, 4, "kopie");
    ASSERT_TRUE(waitFor([this] { return finished == 2; }));
    EXPECT_EQ(lastMessage(), "Der Befehl „Tabelle importieren“ wurde erfolgreich ausgeführt.");
    EXPECT_EQ(days("kopie"), days(kEth));

    home.write("kaputt.tab", "12/01/2026\r\n100\r\n");
    openChoice = home.file("kaputt.tab");
    run(kEth, 4, "kopie");
    ASSERT_TRUE(waitFor([this] { return finished == 3; }));
    EXPECT_EQ(messages.shown.back().icon, MessageSink::Icon::Error);
    EXPECT_TRUE(lastMessage().startsWith("Der Befehl „Tabelle importieren“ ist fehlgeschlagen: Die Datei konnte "
                                         "nicht importiert werden.\n"))
        << lastMessage().toStdString();
    EXPECT_EQ(days("kopie"), days(kEth)) << "unchanged";

    const size_t shown = messages.shown.size();
    saveChoice.clear();
    openChoice.clear();
    run(kEth, 3);
    run(kEth, 4, "kopie");
    EXPECT_FALSE(tab->busy());
    EXPECT_EQ(messages.shown.size(), shown) << "cancelled dialogs run nothing";
}

TEST_F(DatenbankTabTest, TheMinutesBookingAndAnImportIntoTheSameTableBothArrive)
{
    const QDate day(2026, 12, 8);
    form->NicEngineTimer();
    table.addOctets(2, 300, 30);
    form->NicEngineTimer();
    home.write("tag.tab", "12/02/2026\r\n5\r\n6\r\n12/08/2026\r\n1000\r\n100\r\n");
    openChoice = home.file("tag.tab");

    // The import waits for the table; the day turns, and the minute's check books the day
    // while the import goes for the same table: whichever writes first, both must arrive.
    auto lock = std::make_unique<DatabaseWriteLock>(dbPath());
    ASSERT_TRUE(lock->held());
    run(kEth, 4, kEth);
    ASSERT_TRUE(tab->busy());
    clock.set(QDateTime(day.addDays(1), QTime(0, 0, 30)));
    std::atomic<bool> booking{false};
    std::thread unlocker([&] {
        while (!booking)
            std::this_thread::yield();
        lock.reset();
    });
    booking = true;
    form->DatumsprueftimerTimer();
    unlocker.join();
    EXPECT_EQ(form->Tagesdatum, day.addDays(1));
    EXPECT_EQ(form->entries()[0]->get_gesamt_received(), 0);
    ASSERT_TRUE(waitForResult());
    EXPECT_EQ(lastMessage(), "Der Befehl „Tabelle importieren“ wurde erfolgreich ausgeführt.");
    EXPECT_EQ(days(kEth), (QList<DayValues>{{QDate(2026, 12, 1), 100, 10},
                                            {QDate(2026, 12, 2), 205, 26},
                                            {day, 1300, 130}}));
}

TEST_F(DatenbankTabTest, ClosingWhileAnOperationRunsStopsItAndStillBooksTheDay)
{
    form->NicEngineTimer();
    table.addOctets(2, 900, 90);
    form->NicEngineTimer();
    auto lock = std::make_unique<DatabaseWriteLock>(dbPath());
    ASSERT_TRUE(lock->held());
    run(kEth, 2, "archiv");
    ASSERT_TRUE(tab->busy());
    // The lock goes once the close has asked the worker to stop, while it waits for it.
    std::thread unlocker([&] {
        while (!tab->stopping())
            std::this_thread::yield();
        lock.reset();
    });
    form->close();
    unlocker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(tables().contains("archiv")) << "the move was stopped and undone";
    EXPECT_EQ(days(kEth), (QList<DayValues>{{QDate(2026, 12, 1), 100, 10},
                                            {QDate(2026, 12, 2), 200, 20},
                                            {QDate(2026, 12, 8), 900, 90}}));
}

} // namespace
