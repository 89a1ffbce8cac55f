#pragma once

#include "config/DataPlan.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TSprache;

// The data plan of the adapter chosen on the settings page: limit with its unit, period,
// direction, warning levels and command. Only shows and reads its fields; the main window
// checks and saves the plan.
class PlanSettingsBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit PlanSettingsBox(QWidget* parent = nullptr);

    // The item texts of the unit, period and direction lists.
    void applyLanguage(const TSprache& sprache, int base);
    // Shows `text`; a limit of 0 or none shows the plan switched off.
    void showPlan(const DataPlanText& text, int base);
    // The fields as a plan's texts, the limit in bytes; an empty limit when the typed one is no
    // number (negative, or too large for 64 bits).
    DataPlanText planText(int base) const;
    bool planOn() const;

    QCheckBox* Tarif_CheckBox;
    QLabel* Tarif_Label1;
    QLineEdit* Tarif_Limit_Edit;
    QComboBox* Tarif_Einheit_ComboBox;
    QLabel* Tarif_Label2;
    QComboBox* Tarif_Zeitraum_ComboBox;
    QLabel* Tarif_Label3;
    QLineEdit* Tarif_Starttag_Edit;
    QLabel* Tarif_Label4;
    QLineEdit* Tarif_Beginn_Edit;
    QLabel* Tarif_Label5;
    QLineEdit* Tarif_Dauer_Edit;
    QLabel* Tarif_Label6;
    QComboBox* Tarif_Richtung_ComboBox;
    QLabel* Tarif_Label7;
    QLineEdit* Tarif_Warnstufen_Edit;
    QLabel* Tarif_Label8;
    QLineEdit* Tarif_Befehl_Edit;
    QPushButton* Tarif_Button;

private:
    void showPeriodFields();
};
