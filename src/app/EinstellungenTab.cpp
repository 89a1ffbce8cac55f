#include "app/EinstellungenTab.h"

#include "app/NamedWidget.h"
#include "app/PlanSettingsBox.h"
#include "config/SpeedPresets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QSlider* trackBar(QWidget* parent, const char* name, int min, int max, Qt::Orientation o)
{
    auto* s = namedWidget<QSlider>(parent, name);
    s->setOrientation(o);
    s->setRange(min, max);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

} // namespace

EinstellungenTab::EinstellungenTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet2"));

    GroupBox1 = namedWidget<QGroupBox>(this, "GroupBox1");
    Label1 = namedWidget<QLabel>(GroupBox1, "Label1");
    Einstellungen_Nic_ComboBox = namedWidget<QComboBox>(GroupBox1, "Einstellungen_Nic_ComboBox");
    Einstellungen_anzeigen_CheckBox = namedWidget<QCheckBox>(GroupBox1, "Einstellungen_anzeigen_CheckBox");
    Einstellungen_anzeigen_Graph_CheckBox = namedWidget<QCheckBox>(GroupBox1, "Einstellungen_anzeigen_Graph_CheckBox");
    Einstellungen_Bericht_CheckBox = namedWidget<QCheckBox>(GroupBox1, "Einstellungen_Bericht_CheckBox");
    Label18 = namedWidget<QLabel>(GroupBox1, "Label18");
    MaxSpeed_Edit = digitsEdit(GroupBox1, "MaxSpeed_Edit");
    MaxSpeed_ComboBox = namedWidget<QComboBox>(GroupBox1, "MaxSpeed_ComboBox");
    for (const SpeedPreset& p : speedPresets())
        MaxSpeed_ComboBox->addItem(p.caption);
    MaxSpeed_ComboBox->setCurrentIndex(-1);
    SetMaxSpeed_Button = namedWidget<QPushButton>(GroupBox1, "SetMaxSpeed_Button");
    SetMaxSpeed_Button->setText(QStringLiteral("<-"));
    Label26 = namedWidget<QLabel>(GroupBox1, "Label26");
    DatenbankID_Edit = namedWidget<QLineEdit>(GroupBox1, "DatenbankID_Edit");
    DatenbankID_Edit->setReadOnly(true);
    Label27 = namedWidget<QLabel>(GroupBox1, "Label27");
    ShowMac_Edit = namedWidget<QLineEdit>(GroupBox1, "ShowMac_Edit");
    ShowMac_Edit->setReadOnly(true);
    Button1 = namedWidget<QPushButton>(GroupBox1, "Button1");

    auto* g1 = new QGridLayout(GroupBox1);
    g1->addWidget(Label1, 0, 0);
    g1->addWidget(Einstellungen_Nic_ComboBox, 0, 1, 1, 3);
    g1->addWidget(Einstellungen_anzeigen_CheckBox, 1, 0, 1, 2);
    g1->addWidget(Einstellungen_anzeigen_Graph_CheckBox, 1, 2, 1, 2);
    g1->addWidget(Einstellungen_Bericht_CheckBox, 2, 0, 1, 2);
    g1->addWidget(Label18, 3, 0, 1, 2);
    g1->addWidget(MaxSpeed_Edit, 4, 0);
    g1->addWidget(SetMaxSpeed_Button, 4, 1);
    g1->addWidget(MaxSpeed_ComboBox, 4, 2, 1, 2);
    g1->addWidget(Label26, 5, 0);
    g1->addWidget(DatenbankID_Edit, 5, 1);
    g1->addWidget(Label27, 5, 2);
    g1->addWidget(ShowMac_Edit, 5, 3);
    g1->addWidget(Button1, 6, 3);

    Tarif_GroupBox = new PlanSettingsBox(this);

    GroupBox2 = namedWidget<QGroupBox>(this, "GroupBox2");
    Einstellungen_OnTop_CheckBox = namedWidget<QCheckBox>(GroupBox2, "Einstellungen_OnTop_CheckBox");
    Einstellungen_Tranz_CheckBox = namedWidget<QCheckBox>(GroupBox2, "Einstellungen_Tranz_CheckBox");
    Label19 = namedWidget<QLabel>(GroupBox2, "Label19");
    TranzValue_TrackBar = trackBar(GroupBox2, "TranzValue_TrackBar", 0, 255, Qt::Horizontal);
    TranzValue_TrackBar->setPageStep(10);
    TranzValue_TrackBar->setValue(255);
    GroupBox6 = namedWidget<QGroupBox>(GroupBox2, "GroupBox6");
    ForeColorButton = namedWidget<QPushButton>(GroupBox6, "ForeColorButton");
    BackColorButton = namedWidget<QPushButton>(GroupBox6, "BackColorButton");
    SendColorButton = namedWidget<QPushButton>(GroupBox6, "SendColorButton");
    RecvColorButton = namedWidget<QPushButton>(GroupBox6, "RecvColorButton");
    auto* g6 = new QGridLayout(GroupBox6);
    g6->addWidget(ForeColorButton, 0, 0);
    g6->addWidget(BackColorButton, 0, 1);
    g6->addWidget(SendColorButton, 1, 0);
    g6->addWidget(RecvColorButton, 1, 1);
    auto* g2 = new QGridLayout(GroupBox2);
    g2->addWidget(Einstellungen_OnTop_CheckBox, 0, 0);
    g2->addWidget(Einstellungen_Tranz_CheckBox, 0, 1);
    g2->addWidget(Label19, 1, 0);
    g2->addWidget(TranzValue_TrackBar, 1, 1);
    g2->addWidget(GroupBox6, 2, 0, 1, 2);

    GroupBox3 = namedWidget<QGroupBox>(this, "GroupBox3");
    Umrechnung_CheckBox = namedWidget<QCheckBox>(GroupBox3, "Umrechnung_CheckBox");
    // The language file names it with a lower-case b.
    Autostart_CheckBox = namedWidget<QCheckBox>(GroupBox3, "Autostart_Checkbox");
    Label8 = namedWidget<QLabel>(GroupBox3, "Label8");
    Label13 = namedWidget<QLabel>(GroupBox3, "Label13");
    Label14 = namedWidget<QLabel>(GroupBox3, "Label14");
    Label15 = namedWidget<QLabel>(GroupBox3, "Label15");
    Label16 = namedWidget<QLabel>(GroupBox3, "Label16");
    Basisprio_TrackBar = trackBar(GroupBox3, "Basisprio_TrackBar", 1, 4, Qt::Horizontal);
    Label28 = namedWidget<QLabel>(GroupBox3, "Label28");
    Update_ComboBox = namedWidget<QComboBox>(GroupBox3, "Update_ComboBox");
    // Four modes exist before the language file names them, so the loaded mode can be selected.
    for (int i = 0; i < 4; ++i)
        Update_ComboBox->addItem(QStringLiteral("Update_ComboBox->ItemIndex%1").arg(i));
    Label29 = namedWidget<QLabel>(GroupBox3, "Label29");
    Label30 = namedWidget<QLabel>(GroupBox3, "Label30");
    CacheIntervalEdit = digitsEdit(GroupBox3, "CacheIntervalEdit");
    Label31 = namedWidget<QLabel>(GroupBox3, "Label31");
    Button2 = namedWidget<QPushButton>(GroupBox3, "Button2");
    Button4 = namedWidget<QPushButton>(GroupBox3, "Button4");
    ProxyButton = namedWidget<QPushButton>(GroupBox3, "ProxyButton");
    auto* g3 = new QGridLayout(GroupBox3);
    g3->addWidget(Umrechnung_CheckBox, 0, 0, 1, 4);
    g3->addWidget(Autostart_CheckBox, 1, 0, 1, 4);
    g3->addWidget(Label8, 2, 0);
    g3->addWidget(Basisprio_TrackBar, 2, 1, 1, 3);
    g3->addWidget(Label13, 3, 0);
    g3->addWidget(Label14, 3, 1);
    g3->addWidget(Label15, 3, 2);
    g3->addWidget(Label16, 3, 3);
    g3->addWidget(Label28, 4, 0);
    g3->addWidget(Update_ComboBox, 4, 1, 1, 3);
    g3->addWidget(Label30, 5, 0);
    g3->addWidget(CacheIntervalEdit, 5, 1);
    g3->addWidget(Label29, 5, 2, 1, 2);
    g3->addWidget(Label31, 6, 0);
    g3->addWidget(Button4, 6, 1);
    g3->addWidget(ProxyButton, 6, 2);
    g3->addWidget(Button2, 7, 0, 1, 4);

    GroupBox4 = namedWidget<QGroupBox>(this, "GroupBox4");
    nic_CheckBox = namedWidget<QCheckBox>(GroupBox4, "nic_CheckBox");
    dfu_CheckBox = namedWidget<QCheckBox>(GroupBox4, "dfu_CheckBox");
    Bewareoftrafficdouble = namedWidget<QCheckBox>(GroupBox4, "Bewareoftrafficdouble");
    Label4 = namedWidget<QLabel>(GroupBox4, "Label4");
    NicEngineIntervall_TrackBar = trackBar(GroupBox4, "NicEngineIntervall_TrackBar", 1, 10, Qt::Horizontal);
    auto* ticks = new QHBoxLayout();
    ticks->addWidget(new QLabel(QStringLiteral("1"), GroupBox4));
    ticks->addStretch();
    ticks->addWidget(new QLabel(QStringLiteral("5"), GroupBox4));
    ticks->addStretch();
    ticks->addWidget(new QLabel(QStringLiteral("10"), GroupBox4));
    auto* g4 = new QGridLayout(GroupBox4);
    g4->addWidget(nic_CheckBox, 0, 0);
    g4->addWidget(dfu_CheckBox, 0, 1);
    g4->addWidget(Bewareoftrafficdouble, 1, 0, 1, 2);
    g4->addWidget(Label4, 2, 0, 1, 2);
    g4->addWidget(NicEngineIntervall_TrackBar, 3, 0, 1, 2);
    g4->addLayout(ticks, 4, 0, 1, 2);

    GroupBox7 = namedWidget<QGroupBox>(this, "GroupBox7");
    Label32 = namedWidget<QLabel>(GroupBox7, "Label32");
    Zentrale_Edit = namedWidget<QLineEdit>(GroupBox7, "Zentrale_Edit");
    Zentrale_Edit->setPlaceholderText(QStringLiteral("host=… dbname=netzpegel user=…"));
    ZentraleTest_Button = namedWidget<QPushButton>(GroupBox7, "ZentraleTest_Button");
    auto* g7 = new QGridLayout(GroupBox7);
    g7->addWidget(Label32, 0, 0);
    g7->addWidget(Zentrale_Edit, 0, 1);
    g7->addWidget(ZentraleTest_Button, 1, 1, Qt::AlignRight);

    // One column: the page scrolls down, never sideways.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(GroupBox1);
    layout->addWidget(Tarif_GroupBox);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox4);
    layout->addWidget(GroupBox3);
    layout->addWidget(GroupBox7);
    layout->addStretch();
}
