#pragma once

#include "app/TabContext.h"
#include "reports/StatistikPresets.h"

#include <QWidget>

class DayBarChart;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class StatistikThread;
struct StatistikView;

// Tab page "Statistiken": one adapter's stored days for a range, with totals
// and averages. The query runs on a worker at idle priority; at most one at a
// time (`Statistik`), and the page's adapter list and button are off meanwhile.
class StatistikTab : public QWidget
{
    Q_OBJECT
public:
    explicit StatistikTab(QWidget* parent = nullptr);
    ~StatistikTab() override;

    void setContext(const TabContext& context) { m_context = context; }
    // The range presets of the language file; the first is selected.
    void applyLanguage(const TSprache& sprache);
    // Stops a running query at once and forgets it; nothing of it is shown.
    void stopQuery();

    QLabel* Label20;
    QComboBox* Nic_ComboBox;
    QComboBox* SearchType_ComboBox;
    QLabel* Label11;
    QLineEdit* VonEdit;
    QLabel* Label12;
    QLineEdit* BisEdit;
    QLabel* Label21;
    QPushButton* Bericht_Update_Button;
    QTableWidget* StringGrid2;
    QLabel* Label9;
    QLineEdit* EditD1;
    QLineEdit* EditD2;
    QLabel* Label10;
    QLineEdit* EditD5;
    QLineEdit* EditD6;
    DayBarChart* Tagesbalken;

    // The running query, or none.
    StatistikThread* Statistik = nullptr;

public slots:
    void TabSheet3Show();
    void SearchType_ComboBoxSelect(int index);
    void Bericht_Update_ButtonClick();
    void Nic_ComboBoxSelect(int index);

private:
    void showResult(const StatistikView& view);
    void showFailure(const QString& detail);
    void endRun();
    // The current or the last period of the chosen adapter's data plan; none (and a message)
    // when it has no plan.
    std::optional<PresetRange> planRange(bool current) const;

    TabContext m_context;
    int m_firstPlanPreset = 6;
};
