#pragma once

#include "acquisition/TNic.h"
#include "app/TabContext.h"
#include "base/MessageSink.h"
#include "config/Settings.h"
#include "desktop/TrayStatus.h"
#include "engine/TrafficEngine.h"

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class BerichteTab;
class Autostart;
class CentralCheck;
class CentralSender;
class AutostartFolder;
class Clock;
class Database;
class DatenbankTab;
class DesktopNotification;
class DialupSource;
class EinstellungenTab;
class HttpClient;
class InterfaceTable;
class LinkWatch;
class LiveDatenTab;
class NotificationArea;
class ProcessPriority;
class QAction;
class QTabWidget;
class QTimer;
class StatistikTab;
class TGraphenform;
class TSprache;
class TUpdateForm;
class TVerInfo;
class TrayIcon;
class UrlOpener;
class WindowBehaviour;
class UpdateService;
struct IfRow;
struct LiveGridRow;

// The system interfaces the main window works through; the program passes the
// Linux implementations, tests pass fakes. Not owned.
struct MainformServices
{
    InterfaceTable* interfaceTable = nullptr;
    DialupSource* dialupSource = nullptr;
    LinkWatch* linkWatch = nullptr;
    const Clock* clock = nullptr;
    MessageSink* messages = nullptr;
    // File and folder choosers; empty result = cancelled. Defaults: Qt's dialogs.
    std::function<QString(const QString& folder, const QString& filter)> chooseFile;
    std::function<QString(const QString& folder, const QString& filter)> chooseSaveFile;
    std::function<QString(const QString& folder)> chooseFolder;
    QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id");
    // Desktop services; a missing one does nothing (and no notification area).
    AutostartFolder* autostartFolder = nullptr;
    ProcessPriority* priority = nullptr;
    UrlOpener* opener = nullptr;
    NotificationArea* notificationArea = nullptr;
    // The update transfers; nullptr: the program's own libcurl client.
    HttpClient* http = nullptr;
    // Input box (caption, prompt, initial value, password); a cancelled box
    // gives the initial value. Default: Qt's input dialog.
    std::function<QString(const QString&, const QString&, const QString&, bool)> inputBox;
};

// The main window: owns the adapter entries and their graph windows, runs the
// start-up in its constructor, the sampling and day timers, the settings tab,
// and the orderly shutdown when it is closed.
class TMainform : public QMainWindow
{
    Q_OBJECT
    // First: the references below point into the engine.
    MainformServices m_services;
    std::unique_ptr<TSprache> m_sprache;
    TrafficEngine* m_engine;

public:
    TMainform(const MainformServices& services, const QStringList& arguments);
    ~TMainform() override;

    // False when the start could not go on (the database could not be opened).
    bool started() const { return m_started; }
    // The "Visible" setting: whether the window is shown at start.
    bool startVisible() const { return m_einstellungen.visible; }
    // Shows the window, or keeps it in the notification area, or minimised, as "Visible" says.
    void showAtStart();
    // Help page that F1 opens: the current tab's, empty while the window is hidden.
    QString helpTopic() const { return m_helpTopic; }
    WindowBehaviour& windows() { return *m_windows; }
    const std::vector<TNic*>& entries() const { return v; }
    const std::vector<TGraphenform*>& graphWindows() const { return g; }
    // What counts; the window shows it.
    TrafficEngine& engine() { return *m_engine; }
    QString cachePath() const { return m_engine->cachePath(); }

    int Umrechnungsfaktor = 1024;

    QTabWidget* PageControl1;
    LiveDatenTab* TabSheet1;
    EinstellungenTab* TabSheet2;
    StatistikTab* TabSheet3;
    BerichteTab* TabSheet4;
    DatenbankTab* TabSheet5;
    // The engine's day and timers, as the window shows and changes them.
    QDate& Tagesdatum;
    QString& CacheDateiname;
    QTimer* NicEngine;
    QTimer* DfuEngine;
    QTimer* Datumsprueftimer;
    QTimer* CacheToHDDTimer;
    QTimer* AutoBerichtTimer;
    QAction* Minimieren1;
    QAction* AllesMinimieren2;
    QAction* Ende1;
    QAction* Hilfe1;
    QAction* Update1;
    QAction* Reportbug1;
    QAction* Info1;
    QAction* Donate1;
    QAction* Debug1;
    TrayIcon* Tray;
    UpdateService* updateService() const;
    TUpdateForm* updateForm() const;

    // Unexpected failure escaping a handler: log, book, tell, end.
    void ApplicationException(const QString& senderClass, const std::exception* e);

public slots:
    void NicEngineTimer();
    void DfuEngineTimer();
    void DatumsprueftimerTimer();
    void CacheToHDDTimerTimer();
    void CacheIntervalEditChange(const QString& text);
    void AutoBerichtTimerTimer();
    void RefreshLiveGridRows();
    // The display of the engine's ticks.
    void showAdapters();
    void showDialup(const QString& status, bool ok);
    void PageControl1Change(int index);
    void Minimieren1Click();
    // Menus, notification-area icon, help and about box
    void AllesMinimieren2Click();
    void allesMinimieren1Click();
    void Wiederherstellen1Click();
    void CoolTrayIcon1Click();
    // Shows the icon when a notification area missing at start has appeared.
    void checkNotificationArea();
    void Hilfe1Click();
    void Reportbug1Click();
    void Info1Click();
    void Donate1Click();
    void Debug1Click();
    void Autostart_CheckBoxClick(bool checked);
    void Basisprio_TrackBarChange(int position);
    // Icon bars and tooltip from the latest sample.
    void updateTray();
    void Update1Click();
    void ProxyButtonClick();
    // Settings tab
    void Einstellungen_Nic_ComboBoxSelect(int index);
    void SetMaxSpeed_ButtonClick();
    void NicEngineIntervall_TrackBarChange(int position);
    void Umrechnung_CheckBoxClick(bool checked);
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Einstellungen_anzeigen_Graph_CheckBoxClick(bool checked);
    void Einstellungen_OnTop_CheckBoxClick(bool checked);
    void Einstellungen_Tranz_CheckBoxClick(bool checked);
    void TranzValue_TrackBarChange(int position);
    void ForeColorButtonClick();
    void BackColorButtonClick();
    void SendColorButtonClick();
    void RecvColorButtonClick();
    // Data plans: TMainformPlans.cpp
    void Tarif_ButtonClick();
    void showPlanAlert(const PlanAlert& alert);
    // Central database: TMainformZentrale.cpp
    void ZentraleTest_ButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Minimising hides the window instead while the icon can bring it back.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QList<QWidget*> pages() const;
    void buildWindow();
    void buildMenus();
    void connectControls();
    void connectDesktop();
    void createDesktopServices();
    void loadSettings(const QStringList& arguments);
    void settingsToControls();
    Einstellungen controlsToSettings() const;
    void applyLanguage();
    bool openDatabase();
    EngineOptions engineOptions() const;
    // An entry of the engine is new: its graph window, and its place in the chooser when adopted.
    void entryAdded(int position, bool tablesCreated, bool adopted);
    void createGraphWindow(TNic& nic, size_t position);
    // A new entry's window goes down the right edge of the work area; its row keeps the place.
    void placeNewGraphWindow(size_t i);
    void refreshAutostart();
    // A refused change puts the bar back where the process runs; `asked`: the user moved the bar.
    void applyBasisPrio(int position, bool asked);
    void connectPlans();
    void showPlanOfEntry(int k);
    // The plans' use, once per adapter tick; then their bars and texts on the live page (when
    // it shows) and the one nearest its limit for the tooltip.
    void measurePlans(bool showing);
    void showPlans(bool texts);
    void feedGraph(size_t i);
    void writeGridRow(int row, const LiveGridRow& cells);
    void refillAdapterChooser();
    int selectedEntry() const;
    void stopTimers();
    // Stops a running statistics query and report before anything they use goes.
    void stopWorkers();
    TabContext tabContext();
    void FormClose();
    void ReleaseAll();
    void message(MessageSink::Icon icon, const QString& text);
    QString entryText(const QString& key, const TNic& nic) const;
    // Update service: TMainformUpdate.cpp
    void setUpHttp();
    void setUpUpdateService();
    void ensureUpdateForm();
    void startAutomaticUpdate();
    void stopUpdates();
    QString inputBox(const QString& caption, const QString& prompt, const QString& initial, bool secret);
    // Central database: the sender follows the saved setting; it stops before the day is booked.
    void applyCentralSetting();
    void stopCentral();

    const std::vector<TNic*>& v; // the engine's entries
    std::vector<TGraphenform*> g;
    std::unique_ptr<TVerInfo> m_verInfo;
    Einstellungen m_einstellungen;
    Berichte m_berichte;
    std::unique_ptr<WindowBehaviour> m_windows;
    std::unique_ptr<Autostart> m_autostart;
    TrayBarScale m_trayScale;
    QString m_helpTopic;
    bool m_started = false;
    bool m_closed = false;
    bool m_priorityRefusalTold = false;
    // A panel starts with the session, within its first minute: asked often then, seldom after,
    // so that a desktop without any costs next to nothing.
    static constexpr int kNotificationAreaPollMs = 2000;
    static constexpr int kNotificationAreaQuickPolls = 30;
    static constexpr int kNotificationAreaLatePollMs = 30000;
    QTimer* m_notificationAreaWatch = nullptr;
    int m_notificationAreaPolls = 0;
    std::unique_ptr<HttpClient> m_ownHttp;
    HttpClient* m_http = nullptr;
    std::unique_ptr<UpdateService> m_update;
    QPointer<TUpdateForm> m_updateForm;
    DesktopNotification* m_notification = nullptr;
    std::vector<PlanUsage> m_planUsages;
    QDateTime m_planTextsDue;
    QString m_nearestPlanLine;
    std::unique_ptr<CentralSender> m_central;
    QString m_centralConnection; // what m_central sends to
    QPointer<CentralCheck> m_centralCheck;
};
