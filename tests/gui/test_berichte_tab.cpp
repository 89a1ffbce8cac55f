// The reports page on a real database: its options and their settings, a run
// with its log and bars, the refusals of a second run, choosing and opening
// the file, the automatic report on a moving clock, and a run at close.
#include "acquisition/TNic.h"
#include "app/BerichteTab.h"
#include "app/EinstellungenTab.h"
#include "app/TMainform.h"
#include "reports/TBericht.h"
#include "storage/Database.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/StoredDays.h"
#include "support/TestDatabase.h"
#include "support/WaitFor.h"
#include "support/XhtmlCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QValidator>
#include <gtest/gtest.h>

#include <functional>

namespace {

class BerichteTabTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        table.setRows({FakeInterfaceTable::row(1, "lo", 0, 0, 24), FakeInterfaceTable::row(2, "eth0", 0, 0, 6)});
        services.chooseSaveFile = [this](const QString& folder, const QString& filter) {
            chooserCalls << folder + QLatin1Char('|') + filter;
            return chosen;
        };
    }

    void start()
    {
        form = std::make_unique<TMainform>(services, QStringList());
        ASSERT_TRUE(form->started());
        page = form->TabSheet4;
    }
    bool finished()
    {
        return waitFor([&] { return page->Bericht == nullptr; });
    }
    QString log() const { return page->Berichte_RichEdit->toPlainText(); }

    std::unique_ptr<TMainform> form;
    BerichteTab* page = nullptr;
    QString chosen;
    QStringList chooserCalls;
};

TEST_F(BerichteTabTest, UnitNamesFollowTheBaseOnceShownAndTheIndexStays)
{
    home.write("netzpegel.ini", "[Berichte]\nComboBoxIndex=2\n");
    start();
    ASSERT_EQ(page->Berichte_ComboBox->count(), 9);
    EXPECT_EQ(page->Berichte_ComboBox->currentIndex(), 2);
    EXPECT_EQ(page->Berichte_ComboBox->currentText(), "") << "nameless until the page is shown";
    form->PageControl1->setCurrentIndex(3);
    EXPECT_EQ(page->Berichte_ComboBox->currentText(), "MiB");
    form->TabSheet2->Umrechnung_CheckBox->click();
    form->PageControl1->setCurrentIndex(0);
    form->PageControl1->setCurrentIndex(3);
    EXPECT_EQ(page->Berichte_ComboBox->currentIndex(), 2);
    EXPECT_EQ(page->Berichte_ComboBox->currentText(), "MB");
}

TEST_F(BerichteTabTest, AReportNamesItsUnitByIndexAndBaseWhateverThePageShows)
{
    home.write("netzpegel.ini", "[Berichte]\nComboBoxIndex=2\n");
    start();
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), "00000002", {{"2026-11-30", 3000000.0, 1000000.0}}));
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    const struct
    {
        const char* when;
        std::function<void()> before;
        const char* unit;
        const char* row;
    } cases[] = {
        {"never shown", [] {}, "MiB", "<td>30.11.2026</td><td>2,86</td><td>0,95</td>"},
        {"shown with base 1024, then base 1000",
         [&] {
             form->PageControl1->setCurrentIndex(3);
             ASSERT_EQ(page->Berichte_ComboBox->currentText(), "MiB");
             form->TabSheet2->Umrechnung_CheckBox->click();
         },
         "MB", "<td>30.11.2026</td><td>3,00</td><td>1,00</td>"},
    };
    for (const auto& c : cases) {
        c.before();
        page->Berichte_Erstellen_Button->click();
        ASSERT_NE(page->Bericht, nullptr) << c.when;
        ASSERT_TRUE(finished()) << c.when;
        const QByteArray report = home.read("bericht.htm");
        EXPECT_TRUE(report.contains(QByteArray("<p>\r\nin ") + c.unit + "</p>")) << c.when;
        EXPECT_TRUE(report.contains(c.row)) << c.when;
    }
}

TEST_F(BerichteTabTest, ARunWritesAValidReportWhileTheLogAndBarsMove)
{
    start();
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), "00000002",
                                 {{"2026-11-30", 2048.0, 1024.0}, {"2026-12-01", 4096.0, 0.0}}));
    form->PageControl1->setCurrentIndex(3);
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    page->Berichte_Erstellen_Button->click();
    ASSERT_NE(page->Bericht, nullptr);
    ASSERT_TRUE(finished());
    ASSERT_TRUE(QFileInfo::exists(home.file("bericht.htm"))) << log().toStdString();
    EXPECT_EQ(xhtmlProblems(home.file("bericht.htm")), QString());
    EXPECT_TRUE(QFileInfo::exists(home.file("style.css")));
    const QByteArray report = home.read("bericht.htm");
    EXPECT_TRUE(report.contains("<h1>eth0(00000002) </h1>"));
    EXPECT_TRUE(report.contains("<tr align=\"right\"><td>30.11.2026</td><td>2,00</td><td>1,00</td></tr>"))
        << "unit index 1: KiB";
    EXPECT_TRUE(report.contains("in KiB</p>"));
    const QStringList lines = log().split('\n');
    ASSERT_EQ(lines.size(), 4) << log().toStdString(); // lo, eth0, dial-up, the file
    EXPECT_EQ(lines[1], "08.12.2026 Erstelle Bericht für eth0(00000002)...");
    EXPECT_EQ(lines[3], "08.12.2026 Bericht gespeichert (" + home.file("bericht.htm") + ")");
    EXPECT_EQ(page->Berichte_GDPB->value(), page->Berichte_GDPB->maximum());
    EXPECT_GT(page->Berichte_GDPB->maximum(), 0);
    // The last adapter (dial-up) has no rows: its bar is empty, not Qt's endless busy animation of a 0..0 range.
    EXPECT_GT(page->Berichte_ESPG->maximum(), page->Berichte_ESPG->minimum());
    EXPECT_EQ(page->Berichte_ESPG->value(), 0);

    // Opening it hands the file to the desktop; a file that is not there is not opened.
    page->Berichte_Anzeigen_Button->click();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(home.file("bericht.htm")));
    page->Berichte_Pfad_Edit->setText(home.file("nicht-da.htm"));
    page->Berichte_Anzeigen_Button->click();
    EXPECT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BerichteTabTest, AFailedRunLogsWhyAndKeepsTheEarlierReport)
{
    start();
    ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), "00000002", {{"2026-12-01", QStringLiteral("x1"), 1.0}}));
    home.write("bericht.htm", "earlier");
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    page->Berichte_Erstellen_ButtonClick();
    ASSERT_TRUE(finished());
    EXPECT_EQ(home.read("bericht.htm"), "earlier");
    EXPECT_TRUE(log().split('\n').last().contains("„x1“")) << log().toStdString();

    Database(home.file("Datenbank.mdb")).exec(QStringLiteral("DELETE FROM \"00000002\""));
    page->Berichte_Pfad_Edit->clear();
    page->Berichte_Erstellen_ButtonClick();
    ASSERT_TRUE(finished());
    EXPECT_EQ(log().split('\n').last(), "Für den Bericht ist kein Dateiname angegeben.") << log().toStdString();
}

TEST_F(BerichteTabTest, NoRunWithoutAUnitOrWhileOneRuns)
{
    home.write("netzpegel.ini", "[Berichte]\nComboBoxIndex=12\n");
    start();
    EXPECT_EQ(page->Berichte_ComboBox->currentIndex(), -1);
    page->Berichte_Erstellen_ButtonClick();
    EXPECT_EQ(page->Bericht, nullptr);

    page->Berichte_ComboBox->setCurrentIndex(1);
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    page->Berichte_Erstellen_ButtonClick();
    TBericht* running = page->Bericht;
    ASSERT_NE(running, nullptr);
    // The run ends for this page only once this thread hears of it.
    page->Berichte_Erstellen_ButtonClick();
    EXPECT_EQ(page->Bericht, running);
    ASSERT_TRUE(finished());
    EXPECT_EQ(log().count("Bericht gespeichert"), 1);
}

TEST_F(BerichteTabTest, TheFileIsChosenInTheProgramFolderAmongReports)
{
    start();
    page->Berichte_Pfad_Edit->setText("alt.htm");
    page->BitBtn1Click(); // cancelled
    EXPECT_EQ(page->Berichte_Pfad_Edit->text(), "alt.htm");
    chosen = home.file("neu.htm");
    page->BitBtn1->click();
    EXPECT_EQ(page->Berichte_Pfad_Edit->text(), home.file("neu.htm"));
    ASSERT_EQ(chooserCalls.size(), 2);
    EXPECT_EQ(chooserCalls[0], home.folder() + "|HTML-Berichte (*.htm*)");
}

TEST_F(BerichteTabTest, OptionsComeFromTheSettingsAndGoBackAtClose)
{
    home.write("netzpegel.ini", "[Berichte]\nAutoBericht=1\nDayOfAutoBericht=5\nComboBoxIndex=3\nTagesbericht=0\n"
                                "Monatsbericht=1\nJahresbericht=0\nPfad=/tmp/x.htm\nEigenerbericht=1\n"
                                "Eigenerbericht_von=15\nEigenerbericht_bis=14\n");
    start();
    EXPECT_TRUE(page->Bericht_AutoBericht->isChecked());
    EXPECT_EQ(page->Bericht_DayOfAutoBericht_Edit->text(), "5");
    EXPECT_FALSE(page->Bericht_Tagesbericht_CheckBox->isChecked());
    EXPECT_TRUE(page->Bericht_OwnRange_CheckBox->isChecked());
    EXPECT_EQ(page->Bericht_OwnRange_To_Edit->text(), "14");
    EXPECT_TRUE(form->AutoBerichtTimer->isActive()) << "the automatic report is on";
    EXPECT_EQ(form->AutoBerichtTimer->interval(), 3600000);

    page->Bericht_AutoBericht->setChecked(false);
    page->Bericht_DayOfAutoBericht_Edit->setText("12");
    page->Berichte_ComboBox->setCurrentIndex(4);
    page->Bericht_Jahresbericht_CheckBox->setChecked(true);
    page->Berichte_Pfad_Edit->setText("/tmp/y.htm");
    page->Bericht_OwnRange_From_Edit->setText("3");
    form->close();
    const QByteArray ini = home.read("netzpegel.ini");
    for (const char* line : {"AutoBericht=0", "DayOfAutoBericht=12", "ComboBoxIndex=4", "Jahresbericht=1",
                             "Pfad=/tmp/y.htm", "Eigenerbericht_von=3", "Eigenerbericht_bis=14"})
        EXPECT_TRUE(ini.contains(line)) << line << "\n" << ini.constData();

    TMainform again(services, {});
    EXPECT_FALSE(again.AutoBerichtTimer->isActive());
}

TEST_F(BerichteTabTest, DayAndOwnRangeFieldsTakeDigitsOnly)
{
    start();
    const struct
    {
        const char* text;
        bool taken;
    } cases[] = {{"1a", false}, {"-1", false}, {" 5", false}, {"1.5", false}, {"x", false},
                 {"15", true},  {"7", true},   {"28", true},  {"", true}};
    for (QLineEdit* e : {page->Bericht_DayOfAutoBericht_Edit, page->Bericht_OwnRange_From_Edit,
                         page->Bericht_OwnRange_To_Edit}) {
        for (const auto& c : cases) {
            QString input = QString::fromLatin1(c.text);
            int pos = 0;
            const QValidator::State state = e->validator()->validate(input, pos);
            EXPECT_EQ(state != QValidator::Invalid, c.taken) << e->objectName().toStdString() << " '" << c.text << "'";
            // What the field takes it keeps, as typed.
            if (c.taken) {
                e->setText(QString::fromLatin1(c.text));
                EXPECT_EQ(e->text(), QString::fromLatin1(c.text)) << e->objectName().toStdString();
                EXPECT_TRUE(e->hasAcceptableInput()) << e->objectName().toStdString() << " '" << c.text << "'";
            }
        }
    }
    EXPECT_EQ(page->Bericht_DayOfAutoBericht_Edit->maxLength(), 2);
    // The saved settings carry what the fields took.
    page->Bericht_OwnRange_From_Edit->setText(QStringLiteral("15"));
    page->Bericht_OwnRange_To_Edit->setText(QStringLiteral("14"));
    EXPECT_EQ(page->berichte().eigenerberichtVon, "15");
    EXPECT_EQ(page->berichte().eigenerberichtBis, "14");
}

TEST_F(BerichteTabTest, TheTimerReportsOnTheDayThenPausesFortyEightHours)
{
    home.write("netzpegel.ini", "[Berichte]\nAutoBericht=1\nDayOfAutoBericht=8\n");
    clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 30)));
    start();
    page->Berichte_Pfad_Edit->setText(home.file("auto.htm"));
    form->AutoBerichtTimerTimer(); // the 7th
    EXPECT_EQ(page->Bericht, nullptr);
    EXPECT_EQ(form->AutoBerichtTimer->interval(), 3600000);

    clock.advanceSeconds(3600); // the 8th
    form->AutoBerichtTimerTimer();
    ASSERT_NE(page->Bericht, nullptr);
    EXPECT_EQ(form->AutoBerichtTimer->interval(), 172800000);
    EXPECT_TRUE(form->AutoBerichtTimer->isActive());
    ASSERT_TRUE(finished());
    EXPECT_TRUE(QFileInfo::exists(home.file("auto.htm")));
    EXPECT_TRUE(home.read("auto.htm").contains("<p>\r\nin KiB</p>")) << "the page was never shown, the unit has its name";

    clock.advanceSeconds(172800); // the 10th, after the pause
    form->AutoBerichtTimerTimer();
    EXPECT_EQ(page->Bericht, nullptr);
    EXPECT_EQ(form->AutoBerichtTimer->interval(), 3600000);
}

TEST_F(BerichteTabTest, OnTheDayWithARunGoingTheTimerStillPauses)
{
    home.write("netzpegel.ini", "[Berichte]\nAutoBericht=1\nDayOfAutoBericht=8\n");
    start();
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    page->Berichte_Erstellen_ButtonClick();
    TBericht* running = page->Bericht;
    ASSERT_NE(running, nullptr);
    form->AutoBerichtTimerTimer();
    EXPECT_EQ(page->Bericht, running) << "no second report";
    EXPECT_EQ(form->AutoBerichtTimer->interval(), 172800000);
    ASSERT_TRUE(finished());
}

TEST_F(BerichteTabTest, ARunGoingAtCloseIsStoppedAndTheEarlierReportStays)
{
    start();
    // Decades of days on three adapters: far more than the run can go through while the window closes.
    std::vector<StoredRow> years;
    for (QDate d(1976, 12, 1); d < QDate(2026, 12, 1); d = d.addDays(1))
        years.push_back({d.toString(Qt::ISODate), 1e9, 2e9});
    for (const char* index : {"00000001", "00000002", "dfu"})
        ASSERT_TRUE(storeTrafficRows(home.file("Datenbank.mdb"), index, years));
    home.write("bericht.htm", "earlier");
    form->NicEngineTimer();
    table.addOctets(2, 70000, 3000);
    form->NicEngineTimer();
    page->Berichte_Pfad_Edit->setText(home.file("bericht.htm"));
    page->Berichte_Erstellen_ButtonClick();
    const QPointer<TBericht> run = page->Bericht;
    ASSERT_NE(run, nullptr);
    form->close();
    EXPECT_EQ(page->Bericht, nullptr);
    ASSERT_TRUE(run) << "freed later, by the event loop";
    EXPECT_TRUE(run->isFinished());
    EXPECT_FALSE(run->succeeded());
    EXPECT_LT(run->stepsDone(), run->steps()) << "stopped part way, not waited for to the end";
    // The day is booked at close all the same, with the run stopped rather than waited out.
    Database db(home.file("Datenbank.mdb"));
    const QList<DayValues> days = storedDays(db, QStringLiteral("00000002"));
    ASSERT_EQ(days.size(), static_cast<qsizetype>(years.size()) + 1);
    EXPECT_EQ(days.last(), (DayValues{QDate(2026, 12, 8), 70000, 3000}));
    waitFor([&] { return run.isNull(); });
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(home.read("bericht.htm"), "earlier") << "stopped before it was done: nothing replaced the earlier report";
}

} // namespace
