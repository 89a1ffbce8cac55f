#include "acquisition/TNic.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/TMainform.h"
#include "config/TSprache.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QLocale>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QValidator>
#include <gtest/gtest.h>

namespace {

constexpr uint64_t kUp = 100000;

class MainformTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        // Counters since the adapters came up; the first sample is cut to maxspeed.
        table.setRows({FakeInterfaceTable::row(1, "lo", kUp, kUp, 24), FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6),
                       FakeInterfaceTable::row(3, "wlan0", kUp, kUp, 71)});
    }

    QString cell(TMainform& form, int row, int column)
    {
        QTableWidgetItem* item = form.TabSheet1->StringGrid1->item(row, column);
        return item ? item->text() : QString();
    }

};

TEST_F(MainformTest, StartUpLaysDownShippedFilesAndCreatesOneEntryPerRowPlusDialup)
{
    TMainform form(services, {});
    EXPECT_TRUE(QFile::exists(home.file("deutsch.lan")));
    EXPECT_TRUE(QFile::exists(home.file("variables.conf")));
    ASSERT_EQ(form.entries().size(), 4u);
    EXPECT_EQ(form.entries()[0]->Index, "00000001");
    EXPECT_FALSE(form.entries()[0]->anzeigen_live) << "loopback starts hidden";
    EXPECT_TRUE(form.entries()[1]->anzeigen_live);
    EXPECT_EQ(form.entries()[3]->Index, "dfu");
    // Two shown adapters and the dial-up entry make three data rows.
    EXPECT_EQ(form.TabSheet1->StringGrid1->rowCount(), 3);
    EXPECT_EQ(form.PageControl1->tabText(0), "Live Daten");
    EXPECT_TRUE(form.NicEngine->isActive());
    EXPECT_EQ(form.NicEngine->interval(), 1000);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainformTest, ExistingShippedFileIsNeverOverwritten)
{
    home.write("deutsch.lan", "[TabSheet1]\nTabSheet1->Caption=Eigene\n");
    TMainform form(services, {});
    EXPECT_EQ(home.read("deutsch.lan"), "[TabSheet1]\nTabSheet1->Caption=Eigene\n");
    EXPECT_EQ(form.PageControl1->tabText(0), "Eigene");
}

TEST_F(MainformTest, TwoTicksFillTheGridWithFormattedValues)
{
    TMainform form(services, {});
    form.show();
    table.addOctets(2, 1000, 500);
    table.addOctets(3, 2048, 0);
    // The first tick is a first sample: cut to maxspeed, which speed 0 makes 0.
    form.NicEngineTimer();
    table.addOctets(2, 3000, 1536);
    table.addOctets(3, 4096, 10);
    form.NicEngineTimer();

    EXPECT_EQ(cell(form, 0, 0), "eth0");
    EXPECT_EQ(cell(form, 0, 1), "1,50 KiB");
    EXPECT_EQ(cell(form, 0, 2), "2,93 KiB");
    EXPECT_EQ(cell(form, 0, 3), "1,50 KiB");
    EXPECT_EQ(cell(form, 0, 4), "2,93 KiB");
    EXPECT_EQ(cell(form, 0, 5), "00000002");
    EXPECT_EQ(cell(form, 1, 0), "wlan0");
    EXPECT_EQ(cell(form, 1, 2), "4,00 KiB");
    EXPECT_EQ(cell(form, 1, 1), "10,00 Byte");
}

TEST_F(MainformTest, HiddenWindowLeavesTheGridButKeepsCounting)
{
    TMainform form(services, {});
    form.show();
    form.NicEngineTimer();
    const QString before = cell(form, 0, 3);
    form.hide();
    table.addOctets(2, 0, 5000);
    form.NicEngineTimer();
    table.addOctets(2, 0, 5000);
    form.NicEngineTimer();
    EXPECT_EQ(cell(form, 0, 3), before);
    EXPECT_EQ(form.entries()[1]->get_gesamt_send(), 10000);
}

TEST_F(MainformTest, SettingsTabShowsAdapterAndPresets)
{
    TMainform form(services, {});
    form.PageControl1->setCurrentIndex(1);
    EinstellungenTab* t = form.TabSheet2;
    ASSERT_EQ(t->Einstellungen_Nic_ComboBox->count(), 4);
    form.Einstellungen_Nic_ComboBoxSelect(1);
    EXPECT_EQ(t->DatenbankID_Edit->text(), "00000002");
    EXPECT_EQ(t->ShowMac_Edit->text(), "02:00:00:00:00:02");
    EXPECT_TRUE(t->Einstellungen_anzeigen_CheckBox->isChecked());

    form.SetMaxSpeed_ButtonClick();
    EXPECT_EQ(t->MaxSpeed_Edit->text(), "0") << "no preset selected: nothing changes";
    t->MaxSpeed_ComboBox->setCurrentIndex(13);
    form.SetMaxSpeed_ButtonClick();
    EXPECT_EQ(t->MaxSpeed_Edit->text(), "113777800");
    EXPECT_EQ(form.entries()[1]->maxspeed, 0) << "the adapter changes only on apply";

    t->NicEngineIntervall_TrackBar->setValue(5);
    EXPECT_EQ(form.NicEngine->interval(), 5000);

    // Only digits get into the speed and cache interval fields, typed or pasted.
    for (QLineEdit* edit : {t->MaxSpeed_Edit, t->CacheIntervalEdit}) {
        for (const char* text : {"12a", "-5", "1 000", "3.5"}) {
            QString input = QString::fromLatin1(text);
            int pos = 0;
            EXPECT_EQ(edit->validator()->validate(input, pos), QValidator::Invalid) << text;
        }
        QString digits = QStringLiteral("0123");
        int pos = 0;
        EXPECT_EQ(edit->validator()->validate(digits, pos), QValidator::Acceptable);
    }
}

TEST_F(MainformTest, SaveButtonWritesSettingsAndReportsIt)
{
    TMainform form(services, {});
    form.TabSheet2->Umrechnung_CheckBox->setChecked(true);
    form.TabSheet2->NicEngineIntervall_TrackBar->setValue(3);
    form.Button2Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Information);
    const QByteArray ini = home.read("netzpegel.ini");
    EXPECT_TRUE(ini.contains("Umrechnung=1")) << ini.constData();
    EXPECT_TRUE(ini.contains("nicengineintervall=3")) << ini.constData();

    TMainform again(services, {});
    EXPECT_EQ(again.Umrechnungsfaktor, 1000);
    EXPECT_EQ(again.NicEngine->interval(), 3000);
}

TEST_F(MainformTest, SwitchNChecksTheDoubleTrafficGuard)
{
    home.write("netzpegel.ini", "[Allgemein]\ndoppeltertraffic=0\n");
    TMainform plain(services, {});
    EXPECT_FALSE(plain.TabSheet2->Bewareoftrafficdouble->isChecked());
    TMainform switched(services, {QStringLiteral("-N")});
    EXPECT_TRUE(switched.TabSheet2->Bewareoftrafficdouble->isChecked());
}

} // namespace

namespace {

} // namespace

namespace {

// Every control of every page lies inside the fixed window, across and down;
// a page that holds more scrolls down, never across. The pages are also saved
// as PNGs beside the test binary, for a look by eye.
TEST_F(MainformTest, PagesRenderInsideTheFixedWindow)
{
    TMainform form(services, {});
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.centralWidget()->size(), QSize(620, 384));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window cannot be resized";
    const QSize fixed = form.size();
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        SCOPED_TRACE(page);
        form.PageControl1->setCurrentIndex(page);
        QCoreApplication::processEvents();
        QWidget* shown = form.PageControl1->currentWidget();
        auto* scroll = qobject_cast<QScrollArea*>(shown);
        QWidget* content = scroll ? scroll->widget() : shown;
        QWidget* frame = scroll ? scroll->viewport() : shown;
        ASSERT_TRUE(content && content->isVisible());
        if (scroll) {
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
            EXPECT_LE(content->width(), frame->width());
        }
        int checked = 0;
        for (QWidget* w : content->findChildren<QWidget*>()) {
            if (w->window() != &form || !w->isVisible())
                continue;
            const QRect r(w->mapTo(frame, QPoint(0, 0)), w->size());
            EXPECT_GE(r.left(), 0) << qPrintable(w->objectName());
            EXPECT_LE(r.right(), frame->rect().right()) << qPrintable(w->objectName());
            if (!scroll) {
                EXPECT_GE(r.top(), 0) << qPrintable(w->objectName());
                EXPECT_LE(r.bottom(), frame->rect().bottom()) << qPrintable(w->objectName());
            }
            ++checked;
        }
        EXPECT_GT(checked, 1) << "the page's controls were looked at";
        const QPixmap shot = form.grab();
        EXPECT_EQ(shot.size(), fixed) << "the window keeps its fixed size";
        shot.save(QCoreApplication::applicationDirPath() + QStringLiteral("/mainform_page%1.png").arg(page));
    }
}

} // namespace

namespace {

TEST_F(MainformTest, TimersAfterStartUp)
{
    TMainform form(services, {});
    struct Expected { QTimer* timer; bool active; int interval; };
    const Expected expected[] = {
        {form.NicEngine, true, 1000},
        {form.DfuEngine, true, 1000},
        {form.Datumsprueftimer, true, 60000},
        {form.CacheToHDDTimer, true, 300000}, // the first settings file asks for 5 minutes
        {form.AutoBerichtTimer, false, 3600000},
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(e.timer->isActive(), e.active) << qPrintable(e.timer->objectName());
        EXPECT_EQ(e.timer->interval(), e.interval) << qPrintable(e.timer->objectName());
    }
    EXPECT_TRUE(table.isOpen());
}

TEST_F(MainformTest, AdapterSamplingOffAndDialUpOnMakesOnlyTheDialUpEntry)
{
    home.write("netzpegel.ini", "[Allgemein]\nnic_engine=0\ndfu_engine=1\nCacheInterval=5\n");
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    ASSERT_EQ(form.entries().size(), 1u);
    EXPECT_TRUE(form.entries()[0]->isDfu());
    EXPECT_EQ(form.graphWindows().size(), 1u);
    EXPECT_FALSE(form.NicEngine->isActive());
    EXPECT_TRUE(form.DfuEngine->isActive());
    EXPECT_TRUE(form.Datumsprueftimer->isActive());
    EXPECT_EQ(table.readCount(), 0) << "the interface table is never read";
    EXPECT_FALSE(table.isOpen()) << "and not kept open";
    EXPECT_EQ(form.TabSheet1->StringGrid1->rowCount(), 1) << "the dial-up row";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainformTest, BothEnginesOffMakesNoEntryAndOnlyTheDayAndCacheTimersRun)
{
    home.write("netzpegel.ini", "[Allgemein]\nnic_engine=0\ndfu_engine=0\nCacheInterval=5\n");
    {
        TMainform form(services, {});
        ASSERT_TRUE(form.started());
        EXPECT_TRUE(form.entries().empty());
        EXPECT_TRUE(form.graphWindows().empty());
        EXPECT_EQ(form.TabSheet1->StringGrid1->rowCount(), 0);
        EXPECT_FALSE(form.NicEngine->isActive());
        EXPECT_FALSE(form.DfuEngine->isActive());
        EXPECT_TRUE(form.Datumsprueftimer->isActive());
        EXPECT_TRUE(form.CacheToHDDTimer->isActive());
        EXPECT_FALSE(form.AutoBerichtTimer->isActive());
        form.DatumsprueftimerTimer();
        form.CacheToHDDTimerTimer();
        EXPECT_EQ(home.read("netzpegel.cache"), "46364\r\n") << "a cache of no entries is just the day";
        form.close();
    }
    EXPECT_FALSE(QFile::exists(home.file("netzpegel.cache")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainformTest, AFailureWhileReadingTheInterfaceTableShowsError9AtEveryTickAndTheGridStillFills)
{
    TMainform form(services, {});
    form.show();
    table.setReadThrows(true);
    form.NicEngineTimer();
    form.NicEngineTimer();
    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    ASSERT_FALSE(sprache.error(QStringLiteral("Error9")).isEmpty());
    ASSERT_EQ(messages.shown.size(), 2u) << "a lasting cause shows the message at every tick";
    for (const auto& m : messages.shown) {
        EXPECT_EQ(m.icon, MessageSink::Icon::Error);
        EXPECT_EQ(m.text, sprache.error(QStringLiteral("Error9")));
    }
    EXPECT_EQ(cell(form, 0, 0), "eth0") << "the display step runs all the same";
    EXPECT_TRUE(form.NicEngine->isActive());

    table.setReadThrows(false);
    table.addOctets(2, 100, 0);
    form.NicEngineTimer();
    EXPECT_EQ(messages.shown.size(), 2u);
}

} // namespace
