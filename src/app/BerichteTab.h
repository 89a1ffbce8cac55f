#pragma once

#include "app/TabContext.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;
class TBericht;
struct Berichte;

// Tab page "Berichte": the report options, the report file, a run with its
// log and progress bars, and opening the report. A run goes on a worker at
// idle priority; at most one at a time (`Bericht`).
class BerichteTab : public QWidget
{
    Q_OBJECT
public:
    explicit BerichteTab(QWidget* parent = nullptr);
    ~BerichteTab() override;

    void setContext(const TabContext& context) { m_context = context; }
    // The saved report settings into the controls, and back.
    void setBerichte(const Berichte& saved);
    Berichte berichte() const;
    // Stops a running report at once; the file that was there stays.
    void stopReport();

    QGroupBox* GroupBox5;
    QCheckBox* Bericht_Tagesbericht_CheckBox;
    QCheckBox* Bericht_Monatsbericht_CheckBox;
    QCheckBox* Bericht_Jahresbericht_CheckBox;
    QCheckBox* Bericht_OwnRange_CheckBox;
    QLineEdit* Bericht_OwnRange_From_Edit;
    QLineEdit* Bericht_OwnRange_To_Edit;
    QLabel* Label17;
    QComboBox* Berichte_ComboBox;
    QCheckBox* Bericht_AutoBericht;
    QLineEdit* Bericht_DayOfAutoBericht_Edit;
    QLabel* Label22;
    QLineEdit* Berichte_Pfad_Edit;
    QPushButton* BitBtn1;
    QPushButton* Berichte_Erstellen_Button;
    QPushButton* Berichte_Anzeigen_Button;
    QTextEdit* Berichte_RichEdit;
    QProgressBar* Berichte_ESPG;
    QProgressBar* Berichte_GDPB;

    // The running report, or none.
    TBericht* Bericht = nullptr;

public slots:
    void TabSheet4Show();
    void Berichte_Erstellen_ButtonClick();
    void BitBtn1Click();
    void Berichte_Anzeigen_ButtonClick();

private:
    void appendLog(const QString& line);

    TabContext m_context;
};
