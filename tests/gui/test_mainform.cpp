#include "acquisition/TNic.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/TMainform.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
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

TEST_F(MainformTest, MinimisingTheActiveWindowHidesItInstead)
{
    TMainform form(services, {});
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(form.isActiveWindow());
    form.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
}

} // namespace

namespace {

// Renders every page to PNGs beside the test binary, for a look by eye.
TEST_F(MainformTest, PagesRenderInsideTheFixedWindow)
{
    TMainform form(services, {});
    form.show();
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        form.PageControl1->setCurrentIndex(page);
        const QPixmap shot = form.grab();
        EXPECT_EQ(shot.width(), 620) << "the window keeps its fixed width";
        shot.save(QCoreApplication::applicationDirPath() + QStringLiteral("/mainform_page%1.png").arg(page));
    }
}

} // namespace
