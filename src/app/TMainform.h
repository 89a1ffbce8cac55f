#pragma once

#include "acquisition/TNic.h"
#include "app/MessageSink.h"
#include "config/Settings.h"

#include <QDate>
#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <vector>

class EinstellungenTab;
class InterfaceTable;
class LiveDatenTab;
class QAction;
class QTabWidget;
class QTimer;
class TSprache;
class TVerInfo;

// The system interfaces the main window works through; the program passes the
// Linux implementations, tests pass fakes. Not owned.
struct MainformServices
{
    InterfaceTable* interfaceTable = nullptr;
    MessageSink* messages = nullptr;
};

// The main window: owns the adapter entries, runs start-up in its constructor,
// the sampling ticks, the settings tab, and the orderly shutdown on close.
class TMainform : public QMainWindow
{
    Q_OBJECT
public:
    TMainform(const MainformServices& services, const QStringList& arguments);
    ~TMainform() override;

    const std::vector<TNic*>& entries() const { return v; }
    // The "Visible" setting: whether the window is shown at start.
    bool startVisible() const { return m_einstellungen.visible; }
    int Umrechnungsfaktor = 1024;
    QDate Tagesdatum;

    QTabWidget* PageControl1;
    LiveDatenTab* TabSheet1;
    EinstellungenTab* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;
    QTimer* NicEngine;
    QTimer* DfuEngine;
    QTimer* Datumsprueftimer;
    QTimer* CacheToHDDTimer;
    QTimer* AutoBerichtTimer;
    QAction* Ende1;

public slots:
    void NicEngineTimer();
    void RefreshLiveGridRows();
    void Einstellungen_Nic_ComboBoxSelect(int index);
    void SetMaxSpeed_ButtonClick();
    void NicEngineIntervall_TrackBarChange(int position);
    void Umrechnung_CheckBoxClick(bool checked);
    void Button2Click();
    void PageControl1Change(int index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void loadSettings(const QStringList& arguments);
    void settingsToControls();
    Einstellungen controlsToSettings() const;
    void applyLanguage();
    void createEntries();
    void refillAdapterChooser();
    void FormClose();
    void ReleaseAll();
    void message(MessageSink::Icon icon, const QString& text);

    MainformServices m_services;
    SampleContext m_sampleContext;
    std::vector<TNic*> v;
    std::unique_ptr<TSprache> m_sprache;
    std::unique_ptr<TVerInfo> m_verInfo;
    Einstellungen m_einstellungen;
    Berichte m_berichte;
    bool m_closed = false;
};
