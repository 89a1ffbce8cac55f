#include "app/TMainform.h"

#include "acquisition/InterfaceTable.h"
#include "engine/CentralCheck.h"
#include "engine/CentralSender.h"
#include "app/BerichteTab.h"
#include "app/DatenbankTab.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/PlanSettingsBox.h"
#include "app/StatistikTab.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "desktop/ApplicationExceptionLog.h"
#include "desktop/Autostart.h"
#include "desktop/BasisPrio.h"
#include "base/ExceptionLog.h"
#include "desktop/NotificationArea.h"
#include "desktop/UnhandledFailure.h"
#include "desktop/ui/TrayIcon.h"
#include "desktop/ui/WindowBehaviour.h"
#include "graph/ui/TGraphenform.h"
#include "update/HttpClient.h"
#include "update/UpdateService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>


namespace {

EngineServices engineServices(const MainformServices& services, const TSprache* sprache)
{
    EngineServices e;
    e.interfaceTable = services.interfaceTable;
    e.dialupSource = services.dialupSource;
    e.linkWatch = services.linkWatch;
    e.clock = services.clock;
    e.sprache = sprache;
    e.bootIdPath = services.bootIdPath;
    return e;
}

} // namespace

TMainform::TMainform(const MainformServices& services, const QStringList& arguments)
    : m_services(services)
    , m_sprache(std::make_unique<TSprache>())
    , m_engine(new TrafficEngine(engineServices(services, m_sprache.get()), this))
    , Tagesdatum(m_engine->Tagesdatum)
    , CacheDateiname(m_engine->CacheDateiname)
    , NicEngine(m_engine->NicEngine)
    , DfuEngine(m_engine->DfuEngine)
    , Datumsprueftimer(m_engine->Datumsprueftimer)
    , CacheToHDDTimer(m_engine->CacheToHDDTimer)
    , v(m_engine->entries())
    , m_verInfo(std::make_unique<TVerInfo>())
{
    connect(m_engine, &TrafficEngine::message, this, &TMainform::message);
    connect(m_engine, &TrafficEngine::entryAdded, this, &TMainform::entryAdded);
    buildWindow();
    connectPlans();
    // A fresh program folder gets the shipped files before anything is read.
    layDownShippedFiles(programFolder());
    loadSettings(arguments);
    setUpHttp();
    m_sprache->Laden(m_sprache->fileName());
    applyLanguage();
    // The loaded value, not the track bar's: a position the bar cannot show changes nothing.
    applyBasisPrio(m_einstellungen.basisprio, false);
    m_verInfo->Lesen(TVerInfo::ownResourcePath());
    setLogVersionTexts({m_verInfo->FileVersion(), m_verInfo->ProductVersion(), m_verInfo->Comments()});
    setWindowTitle(m_verInfo->windowCaption());
    createDesktopServices();
    if (!openDatabase())
        return;

    const EngineOptions options = engineOptions();
    std::vector<IfRow> rows;
    if (!m_engine->readInterfaces(options, rows)) {
        // Without the interface table no adapter can be counted.
        const std::runtime_error failure(
            "| Fehler bei: h_iphlpapi_dll=LoadLibrary(iphlpapi.dll); oder bei GetProcAdress (GetIfTable) in "
            "Funktion __fastcall TMainform::TMainform(TComponent* Owner)");
        ApplicationException(QStringLiteral("TMainform"), &failure);
        return;
    }
    m_engine->createEntries(rows, options);
    RefreshLiveGridRows();
    m_engine->start(rows, options);

    m_einstellungen.lastupdate = LastupdateLaden();
    setUpUpdateService();
    connectControls();
    updateTray();
    // Ticking the box later takes effect at the next start.
    if (TabSheet4->Bericht_AutoBericht->isChecked())
        AutoBerichtTimer->start();
    m_started = true;
    applyCentralSetting();
}

TMainform::~TMainform()
{
    if (m_services.notificationArea)
        m_services.notificationArea->announce({}); // it outlives the window
    ReleaseAll();
}

EngineOptions TMainform::engineOptions() const
{
    EngineOptions o;
    o.nicEngine = TabSheet2->nic_CheckBox->isChecked();
    o.dfuEngine = TabSheet2->dfu_CheckBox->isChecked();
    o.intervalSeconds = m_einstellungen.nicEngineIntervallTimer;
    o.sonderModus = m_einstellungen.sonderModus;
    o.bewareOfTrafficDouble = TabSheet2->Bewareoftrafficdouble->isChecked();
    o.cacheIntervalText = TabSheet2->CacheIntervalEdit->text();
    o.base = Umrechnungsfaktor;
    return o;
}

QList<QWidget*> TMainform::pages() const
{
    // Page i of the tab widget shows pages()[i] (the settings page inside its scroll area).
    return {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5};
}

void TMainform::buildWindow()
{
    setObjectName(QStringLiteral("Mainform"));
    auto* central = new QWidget(this);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new LiveDatenTab(PageControl1);
    TabSheet2 = new EinstellungenTab(PageControl1);
    TabSheet3 = new StatistikTab(PageControl1);
    TabSheet4 = new BerichteTab(PageControl1);
    TabSheet3->setContext(tabContext());
    TabSheet4->setContext(tabContext());
    TabSheet5 = new DatenbankTab(PageControl1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Live Daten"));
    // The settings page holds more than the fixed window shows at once.
    auto* settingsScroll = new QScrollArea(PageControl1);
    settingsScroll->setWidget(TabSheet2);
    settingsScroll->setWidgetResizable(true);
    settingsScroll->setFrameShape(QFrame::NoFrame);
    settingsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PageControl1->addTab(settingsScroll, QStringLiteral("Einstellungen"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Statistiken"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Berichte"));
    PageControl1->addTab(TabSheet5, QStringLiteral("Datenbank"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
    central->setFixedSize(620, 384);
    setCentralWidget(central);

    buildMenus();
    this->layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_windows = std::make_unique<WindowBehaviour>(*this, g, m_services.notificationArea);
    setWindowFlags(WindowBehaviour::mainWindowFlags(m_windows->iconShown()));

    AutoBerichtTimer = new QTimer(this);
    AutoBerichtTimer->setObjectName(QStringLiteral("AutoBerichtTimer"));
    AutoBerichtTimer->setInterval(3600000);
}

TabContext TMainform::tabContext()
{
    TabContext c;
    c.entries = &v;
    c.umrechnungsfaktor = &Umrechnungsfaktor;
    c.sprache = m_sprache.get();
    c.clock = m_services.clock;
    c.tagesdatum = &Tagesdatum;
    c.closed = &m_closed;
    c.message = [this](MessageSink::Icon icon, const QString& text) { message(icon, text); };
    c.chooseSaveFile = m_services.chooseSaveFile;
    c.opener = m_services.opener;
    return c;
}

void TMainform::message(MessageSink::Icon icon, const QString& text)
{
    if (m_services.messages)
        m_services.messages->show(icon, text);
}

void TMainform::loadSettings(const QStringList& arguments)
{
    if (!EinstellungenLaden(m_einstellungen))
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error1")));
    if (!BerichteLaden(m_berichte))
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error2")));
    m_sprache->setFileName(m_einstellungen.sprachdateiname);
    settingsToControls();
    Umrechnungsfaktor = TabSheet2->Umrechnung_CheckBox->isChecked() ? 1000 : 1024;
    for (const QString& arg : arguments)
        if (arg.toLower() == QLatin1String("-n"))
            TabSheet2->Bewareoftrafficdouble->setChecked(true);
}

void TMainform::settingsToControls()
{
    const Einstellungen& e = m_einstellungen;
    EinstellungenTab* t = TabSheet2;
    t->Umrechnung_CheckBox->setChecked(e.umrechnung);
    t->dfu_CheckBox->setChecked(e.dfuEngine);
    t->NicEngineIntervall_TrackBar->setValue(e.nicEngineIntervall);
    // A position the bar cannot show is not applied: the bar shows the normal priority the program keeps.
    t->Basisprio_TrackBar->setValue(niceForBasisPrio(e.basisprio) ? e.basisprio : kBasisPrioNormal);
    t->Bewareoftrafficdouble->setChecked(e.doppeltertraffic);
    t->Update_ComboBox->setCurrentIndex(e.autoUpdate);
    t->nic_CheckBox->setChecked(e.nicEngine);
    t->CacheIntervalEdit->setText(e.cacheIntervalText);
    t->Zentrale_Edit->setText(e.zentrale);
    m_windows->placeMain(QPoint(e.left, e.top));
    TabSheet4->setBerichte(m_berichte);
}

Einstellungen TMainform::controlsToSettings() const
{
    Einstellungen e = m_einstellungen;
    const EinstellungenTab* t = TabSheet2;
    e.umrechnung = t->Umrechnung_CheckBox->isChecked();
    e.dfuEngine = t->dfu_CheckBox->isChecked();
    e.nicEngineIntervall = t->NicEngineIntervall_TrackBar->value();
    e.basisprio = t->Basisprio_TrackBar->value();
    e.doppeltertraffic = t->Bewareoftrafficdouble->isChecked();
    e.sprachdateiname = QFileInfo(m_sprache->filePath()).fileName();
    if (e.sprachdateiname.isEmpty())
        e.sprachdateiname = m_sprache->fileName();
    e.autoUpdate = std::max(0, t->Update_ComboBox->currentIndex());
    e.nicEngine = t->nic_CheckBox->isChecked();
    e.cacheIntervalText = t->CacheIntervalEdit->text();
    e.zentrale = t->Zentrale_Edit->text().trimmed();
    e.left = m_windows->mainPosition().x();
    e.top = m_windows->mainPosition().y();
    e.visible = m_windows->mainShown();
    // The proxy stays as saved: one cleared for this run only must not be written over it.
    return e;
}

void TMainform::applyLanguage()
{
    // Texts go to the controls in the file's order; a missing text empties the
    // caption, as a missing file does.
    const QList<QWidget*> pages = this->pages();
    for (const ControlText& t : m_sprache->controlTexts()) {
        QWidget* w = objectName() == t.control ? this : findChild<QWidget*>(t.control);
        if (!w)
            continue; // a control of a page that is not built yet
        if (t.property == ControlText::Property::Hint) {
            w->setToolTip(t.text);
        } else if (const auto page = pages.indexOf(w); page >= 0) {
            PageControl1->setTabText(static_cast<int>(page), t.text);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->setText(t.text);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(t.text);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(t.text);
        }
    }
    for (const ControlText& t : m_sprache->menuTexts()) {
        if (auto* menu = menuBar()->findChild<QMenu*>(t.control))
            menu->setTitle(t.text);
        else if (auto* action = findChild<QAction*>(t.control))
            action->setText(t.text);
    }
    // Hints stay up long enough to be read, also those given later (Error15).
    for (QWidget* w : findChildren<QWidget*>())
        w->setToolTipDuration(30000);
    const QStringList& headers = m_sprache->liveGridHeaders();
    for (int c = 0; c < 6 && c < headers.size(); ++c)
        TabSheet1->StringGrid1->horizontalHeaderItem(c)->setText(headers[c]);
    TabSheet1->fitColumnsToHeaders();
    QComboBox* update = TabSheet2->Update_ComboBox;
    const int selected = update->currentIndex();
    update->clear();
    update->addItems(m_sprache->updateItems());
    update->setCurrentIndex(selected);
    TabSheet3->applyLanguage(*m_sprache);
    TabSheet2->Tarif_GroupBox->applyLanguage(*m_sprache, Umrechnungsfaktor);
    TabSheet5->setCommandTexts(m_sprache->befehlItems());
}

bool TMainform::openDatabase()
{
    if (!m_engine->openDatabase())
        return false;
    m_verInfo->setDbversion(m_engine->dbVersion());
    TabSheet5->setServices({m_engine->database(), m_sprache.get(), m_services.messages, m_services.chooseFile,
                            m_services.chooseSaveFile});
    return true;
}

void TMainform::entryAdded(int position, bool tablesCreated, bool adopted)
{
    const auto i = static_cast<size_t>(position);
    createGraphWindow(*v[i], i);
    if (tablesCreated)
        placeNewGraphWindow(i);
    QComboBox* chooser = TabSheet2->Einstellungen_Nic_ComboBox;
    if (adopted && chooser->count() + 1 == static_cast<int>(v.size()))
        chooser->insertItem(position, v[i]->Name); // the chosen entry stays chosen
}

void TMainform::createGraphWindow(TNic& nic, size_t position)
{
    auto* w = new TGraphenform();
    w->SpracheAnwenden(*m_sprache);
    w->setWindowTitle(nic.isDfu() ? nic.Name : nic.Name + QStringLiteral(" (") + nic.Mac + QLatin1Char(')'));
    w->configureFrom(nic);
    // F1 reaches the help from a graph window too, also while the main window and its menu are hidden.
    w->addAction(Hilfe1);
    g.insert(g.begin() + static_cast<std::ptrdiff_t>(position), w);
}

void TMainform::stopTimers()
{
    m_engine->stopTimers();
    AutoBerichtTimer->stop();
}

void TMainform::stopWorkers()
{
    TabSheet3->stopQuery();
    TabSheet4->stopReport();
    delete m_centralCheck; // interrupted, never waits for a server
}

QString TMainform::entryText(const QString& key, const TNic& nic) const
{
    return m_sprache->error(key) + nic.Index + QLatin1Char('(') + nic.Name + QStringLiteral(") ")
        + m_sprache->error(QStringLiteral("Error10a"));
}

void TMainform::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // Closing the main window ends the program, whatever other windows are open.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainform::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        m_windows->mainStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
}

void TMainform::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    stopUpdates();
    stopWorkers();
    stopTimers();
    TabSheet5->shutDown(); // its worker must not hold the database while the day is booked
    stopCentral();
    if (m_started) {
        // Files written before any message: a kill while one is open keeps them consistent.
        for (TNic* nic : m_engine->bookAtClose())
            message(MessageSink::Icon::Error, entryText(QStringLiteral("Error10"), *nic));
        for (size_t i = 0; i < v.size(); ++i) {
            g[i]->copyTo(*v[i]);
            g[i]->close();
            if (!v[i]->save_settings())
                message(MessageSink::Icon::Error, entryText(QStringLiteral("Error11"), *v[i]));
        }
        m_berichte = TabSheet4->berichte();
        if (!BerichteSpeichern(m_berichte))
            message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error12")));
    }
    ReleaseAll();
}

void TMainform::ReleaseAll()
{
    stopUpdates();
    stopCentral();
    TabSheet5->shutDown(); // before the connection and texts it uses go
    for (TGraphenform* w : g)
        delete w;
    g.clear();
    m_engine->release();
    if (m_sprache) {
        // A start that never finished has nothing of its own to save.
        if (m_started)
            FensterSpeichern(controlsToSettings(), true);
        m_sprache.reset();
    }
    m_verInfo.reset();
    m_autostart.reset();
    Tray->hide();
    clearLogVersionTexts();
    setLogClock(nullptr);
}

void TMainform::ApplicationException(const QString& senderClass, const std::exception* e)
{
    if (m_closed) {
        // Everything is booked and released already; the failure is still logged.
        logUnhandledFailure(senderClass, e);
        return;
    }
    const QString what = e ? QString::fromUtf8(e->what()) : QStringLiteral("Unbekannte Ausnahme");
    const QString className = e ? exceptionClassName(*e) : QStringLiteral("Exception");
    stopWorkers();
    if (m_sprache) {
        const QString title = m_sprache->error(QStringLiteral("Error7"));
        Tray->ShowBalloonHint(title, title, QSystemTrayIcon::Critical, 60);
    }
    stopTimers();
    TabSheet5->shutDown();
    stopCentral();

    ApplicationState state;
    state.verInfo = m_verInfo.get();
    state.caption = windowTitle();
    state.hasMainWindow = true;
    state.activePageIndex = PageControl1->currentIndex();
    if (QWidget* page = pages().value(state.activePageIndex))
        state.activePageName = page->objectName();
    state.entries = m_engine->logStates();
    state.graphWindowCount = static_cast<int>(g.size());
    WriteLogLines(applicationExceptionHead(state, what, className, senderClass));
    WriteLogLines(applicationExceptionState(state));

    // Book like a normal close: the cache goes once all is booked, or keeps what is not.
    m_closed = true;
    m_engine->bookAtClose();
    message(MessageSink::Icon::Error, applicationExceptionMessage(m_sprache->error(QStringLiteral("Error8")),
                                                                  className, what));
    ReleaseAll();
    m_started = false;
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}
