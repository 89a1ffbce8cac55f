// Data plans in the window: set on the settings page (wrong entries refused with their text),
// filling on the live page with a bar that changes colour, named in the tray's tooltip, and a
// crossed level in the tray's balloon when no notification service answers.
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/PlanPanel.h"
#include "app/PlanSettingsBox.h"
#include "app/TMainform.h"
#include "config/DataPlan.h"
#include "config/TSprache.h"
#include "desktop/ui/TrayIcon.h"
#include "support/MainformFixture.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class MainformPlansTest : public MainformFixture
{
protected:
    void SetUp() override
    {
        MainformFixture::SetUp();
        // No session bus: a crossed level can only reach the tray.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        table.setRows({FakeInterfaceTable::row(2, "eth0", 0, 0, 6)});
    }

    // The settings page with eth0 chosen.
    PlanSettingsBox* choose(TMainform& form)
    {
        form.PageControl1->setCurrentIndex(1);
        form.TabSheet2->Einstellungen_Nic_ComboBox->setCurrentIndex(0);
        form.Einstellungen_Nic_ComboBoxSelect(0);
        return form.TabSheet2->Tarif_GroupBox;
    }

    QStringList texts() const
    {
        QStringList t;
        for (const auto& e : messages.shown)
            t << e.text;
        return t;
    }
};

TEST_F(MainformPlansTest, WrongEntriesAreRefusedWithTheirTextAndASoundPlanIsSaved)
{
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    PlanSettingsBox* box = choose(form);
    EXPECT_FALSE(box->Tarif_CheckBox->isChecked()) << "no plan yet";
    const QString eth = form.entries()[0]->Index;
    const TSprache& de = *[] {
        static TSprache s;
        s.setFileName(QStringLiteral("deutsch.lan"));
        s.Laden(s.fileName());
        return &s;
    }();

    box->Tarif_CheckBox->setChecked(true);
    const struct
    {
        const char* limit;
        const char* levels;
        const char* key;
    } wrong[] = {{"abc", "80,90,100", "Fehler_Grenze"}, {"0", "80,90,100", "Fehler_Grenze"},
                 {"5", "90,80", "Fehler_Warnstufen"}};
    for (const auto& w : wrong) {
        messages.shown.clear();
        box->Tarif_Limit_Edit->setText(QString::fromLatin1(w.limit));
        box->Tarif_Warnstufen_Edit->setText(QString::fromLatin1(w.levels));
        box->Tarif_Button->click();
        EXPECT_EQ(texts(), QStringList{de.text(QStringLiteral("Tarife"), QString::fromLatin1(w.key))}) << w.limit;
        EXPECT_EQ(readDataPlanText(eth).limit, QStringLiteral("0")) << "nothing saved";
    }

    messages.shown.clear();
    box->Tarif_Limit_Edit->setText(QStringLiteral("2,5"));
    box->Tarif_Einheit_ComboBox->setCurrentIndex(3); // GiB
    box->Tarif_Zeitraum_ComboBox->setCurrentIndex(2);
    box->Tarif_Starttag_Edit->setText(QStringLiteral("15"));
    box->Tarif_Warnstufen_Edit->setText(QStringLiteral("50,100"));
    box->Tarif_Button->click();
    EXPECT_EQ(texts(), QStringList{de.error(QStringLiteral("Error13"))});
    const DataPlanText saved = readDataPlanText(eth);
    EXPECT_EQ(saved.limit, QString::number(2.5 * 1024 * 1024 * 1024, 'f', 0));
    EXPECT_EQ(saved.zeitraum, QStringLiteral("Monat"));
    EXPECT_EQ(saved.starttag, QStringLiteral("15"));
    EXPECT_EQ(saved.warnstufen, QStringLiteral("50,100"));
    ASSERT_NE(form.engine().plans().plan(eth), nullptr) << "counted from now on";

    // Shown again as saved; switched off it stays in the file for the next time.
    box->Tarif_Limit_Edit->clear();
    form.Einstellungen_Nic_ComboBoxSelect(0);
    EXPECT_EQ(box->Tarif_Limit_Edit->text(), QStringLiteral("2,50"));
    EXPECT_EQ(box->Tarif_Einheit_ComboBox->currentIndex(), 3);
    box->Tarif_CheckBox->setChecked(false);
    box->Tarif_Button->click();
    EXPECT_EQ(form.engine().plans().plan(eth), nullptr);
    EXPECT_EQ(readDataPlanText(eth).warnstufen, QStringLiteral("50,100"));
}

TEST_F(MainformPlansTest, TheLivePageFillsAndTheTrayBalloonTellsACrossedLevel)
{
    DataPlan plan;
    plan.table = TNic::adapterId(2, false);
    plan.limit = 10000;
    plan.warnstufen = {50, 100};
    ASSERT_TRUE(writeDataPlan(plan));
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    form.show();
    form.NicEngineTimer();
    const PlanPanel* panel = form.TabSheet1->Tarife;
    ASSERT_EQ(panel->rowCount(), 1);
    EXPECT_EQ(panel->severity(0), 0);

    table.addOctets(2, 3000, 2500);
    form.NicEngineTimer();
    EXPECT_EQ(panel->severity(0), 1) << "amber from the first level";
    EXPECT_NEAR(panel->fraction(0), 0.55, 1e-9);
    EXPECT_TRUE(form.Tray->toolTip().contains(QStringLiteral("eth0"))) << form.Tray->toolTip().toStdString();
    form.DatumsprueftimerTimer();
    ASSERT_TRUE(waitFor([&] { return !form.Tray->lastBalloon().title.isEmpty(); }));
    EXPECT_TRUE(form.Tray->lastBalloon().title.contains(QStringLiteral("50"))) << form.Tray->lastBalloon().title.toStdString();

    table.addOctets(2, 5000, 0);
    form.NicEngineTimer();
    EXPECT_EQ(panel->severity(0), 2) << "red at the limit";
    EXPECT_DOUBLE_EQ(panel->fraction(0), 1.0) << "drawn full beyond it";
    form.close();
}

} // namespace
