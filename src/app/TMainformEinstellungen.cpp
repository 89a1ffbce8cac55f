// The main window's settings tab: the adapter chooser and its settings, the
// graph window switches and colours, and the program settings.
#include "app/TMainform.h"

#include "app/BerichteTab.h"
#include "app/DatenbankTab.h"
#include "app/EinstellungenTab.h"
#include "app/PlanSettingsBox.h"
#include "app/StatistikTab.h"
#include "base/ProgramFolder.h"
#include "config/SpeedPresets.h"
#include "config/TSprache.h"
#include "desktop/Help.h"
#include "graph/TPerformanceGraph.h"
#include "graph/ui/TGraphenform.h"
#include "graph/ui/WinColorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

void TMainform::connectControls()
{
    EinstellungenTab* t = TabSheet2;
    connect(m_engine, &TrafficEngine::adaptersSampled, this, &TMainform::showAdapters);
    connect(m_engine, &TrafficEngine::dialupSampled, this, &TMainform::showDialup);
    connect(m_engine, &TrafficEngine::entriesAdopted, this, &TMainform::RefreshLiveGridRows);
    connect(m_engine, &TrafficEngine::minuteChecked, this, &TMainform::startAutomaticUpdate);
    connect(t->Bewareoftrafficdouble, &QCheckBox::toggled, m_engine, &TrafficEngine::setBewareOfTrafficDouble);
    connect(AutoBerichtTimer, &QTimer::timeout, this, &TMainform::AutoBerichtTimerTimer);
    connect(t->CacheIntervalEdit, &QLineEdit::textChanged, this, &TMainform::CacheIntervalEditChange);
    connect(t->NicEngineIntervall_TrackBar, &QSlider::valueChanged, this, &TMainform::NicEngineIntervall_TrackBarChange);
    connect(t->Einstellungen_Nic_ComboBox, &QComboBox::activated, this, &TMainform::Einstellungen_Nic_ComboBoxSelect);
    connect(t->SetMaxSpeed_Button, &QPushButton::clicked, this, &TMainform::SetMaxSpeed_ButtonClick);
    connect(t->Umrechnung_CheckBox, &QCheckBox::clicked, this, &TMainform::Umrechnung_CheckBoxClick);
    connect(t->Button1, &QPushButton::clicked, this, &TMainform::Button1Click);
    connect(t->Button2, &QPushButton::clicked, this, &TMainform::Button2Click);
    connect(t->Button4, &QPushButton::clicked, this, &TMainform::Button4Click);
    connect(t->Einstellungen_anzeigen_Graph_CheckBox, &QCheckBox::clicked, this,
            &TMainform::Einstellungen_anzeigen_Graph_CheckBoxClick);
    connect(t->Einstellungen_OnTop_CheckBox, &QCheckBox::clicked, this, &TMainform::Einstellungen_OnTop_CheckBoxClick);
    connect(t->Einstellungen_Tranz_CheckBox, &QCheckBox::clicked, this, &TMainform::Einstellungen_Tranz_CheckBoxClick);
    connect(t->TranzValue_TrackBar, &QSlider::valueChanged, this, &TMainform::TranzValue_TrackBarChange);
    connect(t->ForeColorButton, &QPushButton::clicked, this, &TMainform::ForeColorButtonClick);
    connect(t->BackColorButton, &QPushButton::clicked, this, &TMainform::BackColorButtonClick);
    connect(t->SendColorButton, &QPushButton::clicked, this, &TMainform::SendColorButtonClick);
    connect(t->RecvColorButton, &QPushButton::clicked, this, &TMainform::RecvColorButtonClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainform::PageControl1Change);
    connect(TabSheet5->Button3, &QPushButton::clicked, TabSheet5, &DatenbankTab::Button3Click);
    connect(Update1, &QAction::triggered, this, &TMainform::Update1Click);
    connect(t->ProxyButton, &QPushButton::clicked, this, &TMainform::ProxyButtonClick);
    connect(t->Tarif_GroupBox->Tarif_Button, &QPushButton::clicked, this, &TMainform::Tarif_ButtonClick);
    connect(t->ZentraleTest_Button, &QPushButton::clicked, this, &TMainform::ZentraleTest_ButtonClick);
    connectDesktop();
}

void TMainform::PageControl1Change(int index)
{
    m_helpTopic = helpTopicForPage(index);
    if (index == 0) {
        RefreshLiveGridRows();
    } else if (index == 1) {
        refillAdapterChooser();
        refreshAutostart();
    } else if (index == 2) {
        TabSheet3->TabSheet3Show();
    } else if (index == 3) {
        TabSheet4->TabSheet4Show();
    } else if (index == 4) {
        TabSheet5->RefreshTableLists();
    }
}

void TMainform::refillAdapterChooser()
{
    QComboBox* box = TabSheet2->Einstellungen_Nic_ComboBox;
    box->clear();
    for (const TNic* nic : v)
        box->addItem(nic->Name);
    box->setCurrentIndex(-1);
}

int TMainform::selectedEntry() const
{
    const int k = TabSheet2->Einstellungen_Nic_ComboBox->currentIndex();
    return k >= 0 && k < static_cast<int>(v.size()) ? k : -1;
}

void TMainform::Einstellungen_Nic_ComboBoxSelect(int index)
{
    if (index < 0 || index >= static_cast<int>(v.size()))
        return;
    const TNic& nic = *v[index];
    EinstellungenTab* t = TabSheet2;
    showPlanOfEntry(index);
    t->Einstellungen_anzeigen_CheckBox->setChecked(nic.anzeigen_live);
    t->Einstellungen_anzeigen_Graph_CheckBox->setChecked(nic.anzeigen_graph);
    t->MaxSpeed_Edit->setText(QString::number(nic.maxspeed));
    t->Einstellungen_OnTop_CheckBox->setChecked(nic.ontop);
    t->Einstellungen_Tranz_CheckBox->setChecked(nic.tranz);
    // The track bar's own handler would change the window: set it quietly.
    const QSignalBlocker quiet(t->TranzValue_TrackBar);
    t->TranzValue_TrackBar->setValue(nic.tranz_wert);
    t->Einstellungen_Bericht_CheckBox->setChecked(nic.bericht);
    t->DatenbankID_Edit->setText(nic.Index);
    t->ShowMac_Edit->setText(nic.Mac);
}

void TMainform::SetMaxSpeed_ButtonClick()
{
    const int item = TabSheet2->MaxSpeed_ComboBox->currentIndex();
    if (item < 0 || item >= static_cast<int>(speedPresets().size()))
        return;
    TabSheet2->MaxSpeed_Edit->setText(QString::number(speedPresets()[item].bytesPerSecond));
}

void TMainform::NicEngineIntervall_TrackBarChange(int position)
{
    NicEngine->setInterval(position * 1000);
}

void TMainform::Umrechnung_CheckBoxClick(bool checked)
{
    Umrechnungsfaktor = checked ? 1000 : 1024;
    TabSheet2->Tarif_GroupBox->applyLanguage(*m_sprache, Umrechnungsfaktor);
    showPlanOfEntry(selectedEntry());
}

void TMainform::Button1Click()
{
    const int k = selectedEntry();
    if (k < 0)
        return;
    EinstellungenTab* t = TabSheet2;
    bool ok = false;
    const int maxspeed = t->MaxSpeed_Edit->text().toInt(&ok);
    if (!ok) {
        // Empty or beyond 32 bits: nothing is changed.
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error5")));
        return;
    }
    TNic& nic = *v[k];
    nic.anzeigen_graph = t->Einstellungen_anzeigen_Graph_CheckBox->isChecked();
    nic.anzeigen_live = t->Einstellungen_anzeigen_CheckBox->isChecked();
    nic.ontop = t->Einstellungen_OnTop_CheckBox->isChecked();
    nic.tranz = t->Einstellungen_Tranz_CheckBox->isChecked();
    nic.bericht = t->Einstellungen_Bericht_CheckBox->isChecked();
    nic.maxspeed = maxspeed;
    nic.tranz_wert = t->TranzValue_TrackBar->value();
    nic.forecolor = g[k]->graph().ForeColor();
    nic.backcolor = g[k]->graph().BackColor();
    m_engine->showingChanged();
    if (nic.save_settings())
        message(MessageSink::Icon::Information, m_sprache->error(QStringLiteral("Error13")));
    else
        message(MessageSink::Icon::Information, m_sprache->error(QStringLiteral("Error14")));
}

void TMainform::Button2Click()
{
    m_einstellungen = controlsToSettings();
    if (EinstellungenSpeichern(m_einstellungen)) {
        applyCentralSetting(); // a saved connection string sends from now on
        message(MessageSink::Icon::Information, m_sprache->error(QStringLiteral("Error13")));
    } else {
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error14")));
    }
}

void TMainform::Einstellungen_anzeigen_Graph_CheckBoxClick(bool checked)
{
    if (const int k = selectedEntry(); k >= 0)
        g[k]->setVisible(checked);
}

void TMainform::Einstellungen_OnTop_CheckBoxClick(bool checked)
{
    if (const int k = selectedEntry(); k >= 0) {
        v[k]->ontop = checked;
        g[k]->setOnTop(checked);
    }
}

void TMainform::Einstellungen_Tranz_CheckBoxClick(bool checked)
{
    QCheckBox* box = TabSheet2->Einstellungen_Tranz_CheckBox;
    const int k = selectedEntry();
    if (k < 0) {
        box->setToolTip(m_sprache->error(QStringLiteral("Error15")));
        return;
    }
    box->setToolTip(QString());
    g[k]->setTranslucent(checked);
}

void TMainform::TranzValue_TrackBarChange(int position)
{
    const int k = selectedEntry();
    if (k < 0) {
        // Not taken back when an adapter is chosen later.
        TabSheet2->TranzValue_TrackBar->setToolTip(m_sprache->error(QStringLiteral("Error15")));
        return;
    }
    g[k]->setOpacityValue(position);
}

// The colour dialog runs its own event loop: the window may have closed
// (and released every entry) by the time it returns.
void TMainform::ForeColorButtonClick()
{
    if (const int k = selectedEntry(); k >= 0)
        if (const auto c = chooseWinColor(this, g[k]->graph().ForeColor()); c && !m_closed)
            g[k]->graph().SetForeColor(*c);
}

void TMainform::BackColorButtonClick()
{
    if (const int k = selectedEntry(); k >= 0)
        if (const auto c = chooseWinColor(this, g[k]->graph().BackColor()); c && !m_closed)
            g[k]->graph().SetBackColor(*c);
}

void TMainform::SendColorButtonClick()
{
    if (const int k = selectedEntry(); k >= 0)
        if (const auto c = chooseWinColor(this, v[k]->sendgraph); c && !m_closed)
            v[k]->sendgraph = *c;
}

void TMainform::RecvColorButtonClick()
{
    if (const int k = selectedEntry(); k >= 0)
        if (const auto c = chooseWinColor(this, v[k]->recvgraph); c && !m_closed)
            v[k]->recvgraph = *c;
}

void TMainform::Button4Click()
{
    const QString picked = m_services.chooseFile
        ? m_services.chooseFile(programFolder(), m_sprache->dialogFilter(3))
        : QFileDialog::getOpenFileName(this, QString(), programFolder(), m_sprache->dialogFilter(3));
    if (m_closed)
        return;
    if (!picked.isEmpty()) {
        // Only the name counts: language files live in the program folder.
        m_sprache->Laden(TSprache::chosenFileName(picked));
        applyLanguage();
        if (!v.empty() && v.back()->isDfu()) {
            v.back()->Name = m_sprache->dfuName();
            g.back()->setWindowTitle(v.back()->Name);
        }
        for (TGraphenform* w : g)
            w->SpracheAnwenden(*m_sprache);
    }
    if (!m_services.messages || !m_services.messages->ask(m_sprache->helpFileQuestion()) || m_closed)
        return;
    const QString folder = m_services.chooseFolder
        ? m_services.chooseFolder(programFolder())
        : QFileDialog::getExistingDirectory(this, m_sprache->filterText(4), programFolder());
    if (!folder.isEmpty())
        m_einstellungen.hilfedatei = QFileInfo(folder).fileName();
}
