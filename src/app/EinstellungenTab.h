#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class PlanSettingsBox;

// Tab page "Einstellungen": adapter settings, graph window, program settings.
// Only builds the controls; the main window handles their events.
class EinstellungenTab : public QWidget
{
    Q_OBJECT
public:
    explicit EinstellungenTab(QWidget* parent = nullptr);

    // Adapter
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* Einstellungen_Nic_ComboBox;
    QCheckBox* Einstellungen_anzeigen_CheckBox;
    QCheckBox* Einstellungen_anzeigen_Graph_CheckBox;
    QCheckBox* Einstellungen_Bericht_CheckBox;
    QLabel* Label18;
    QLineEdit* MaxSpeed_Edit;
    QComboBox* MaxSpeed_ComboBox;
    QPushButton* SetMaxSpeed_Button;
    QLabel* Label26;
    QLineEdit* DatenbankID_Edit;
    QLabel* Label27;
    QLineEdit* ShowMac_Edit;
    QPushButton* Button1;
    // The chosen adapter's data plan
    PlanSettingsBox* Tarif_GroupBox;
    // Graph window
    QGroupBox* GroupBox2;
    QCheckBox* Einstellungen_OnTop_CheckBox;
    QCheckBox* Einstellungen_Tranz_CheckBox;
    QLabel* Label19;
    QSlider* TranzValue_TrackBar;
    QGroupBox* GroupBox6;
    QPushButton* ForeColorButton;
    QPushButton* BackColorButton;
    QPushButton* SendColorButton;
    QPushButton* RecvColorButton;
    // Program
    QGroupBox* GroupBox3;
    QCheckBox* Umrechnung_CheckBox;
    QCheckBox* Autostart_CheckBox;
    QLabel* Label4;
    QSlider* Basisprio_TrackBar;
    QLabel* Label28;
    QComboBox* Update_ComboBox;
    QLabel* Label29;
    QLabel* Label30;
    QLineEdit* CacheIntervalEdit;
    QLabel* Label31;
    QPushButton* Button2;
    QPushButton* Button4;
    QPushButton* ProxyButton;
    // Measurement
    QGroupBox* GroupBox4;
    QCheckBox* nic_CheckBox;
    QCheckBox* dfu_CheckBox;
    QCheckBox* Bewareoftrafficdouble;
    QLabel* Label8;
    QSlider* NicEngineIntervall_TrackBar;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label16;
    // Central database of a fleet
    QGroupBox* GroupBox7;
    QLabel* Label32;
    QLineEdit* Zentrale_Edit;
    QPushButton* ZentraleTest_Button;
};
