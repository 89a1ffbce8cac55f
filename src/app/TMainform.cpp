#include "app/TMainform.h"

#include "acquisition/AdapterDefaults.h"
#include "acquisition/InterfaceTable.h"
#include "acquisition/NicSampling.h"
#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "config/ProgramFolder.h"
#include "config/SpeedPresets.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QTimer* namedTimer(QObject* parent, const char* name, int interval)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

} // namespace

TMainform::TMainform(const MainformServices& services, const QStringList& arguments)
    : m_services(services)
    , m_sprache(std::make_unique<TSprache>())
    , m_verInfo(std::make_unique<TVerInfo>())
{
    buildWindow();
    // A fresh program folder gets the shipped files before anything is read.
    layDownShippedFiles(programFolder());
    loadSettings(arguments);
    m_sprache->Laden(m_sprache->fileName());
    applyLanguage();
    m_verInfo->Lesen(TVerInfo::ownResourcePath());
    setWindowTitle(m_verInfo->windowCaption());

    createEntries();
    RefreshLiveGridRows();

    NicEngine->setInterval(std::max(1, m_einstellungen.nicEngineIntervallTimer) * 1000);
    if (TabSheet2->nic_CheckBox->isChecked())
        NicEngine->start();
    else if (m_services.interfaceTable)
        m_services.interfaceTable->close();
    Tagesdatum = QDate::currentDate();

    connect(NicEngine, &QTimer::timeout, this, &TMainform::NicEngineTimer);
    connect(TabSheet2->NicEngineIntervall_TrackBar, &QSlider::valueChanged, this,
            &TMainform::NicEngineIntervall_TrackBarChange);
    connect(TabSheet2->Einstellungen_Nic_ComboBox, &QComboBox::activated, this,
            &TMainform::Einstellungen_Nic_ComboBoxSelect);
    connect(TabSheet2->SetMaxSpeed_Button, &QPushButton::clicked, this, &TMainform::SetMaxSpeed_ButtonClick);
    connect(TabSheet2->Umrechnung_CheckBox, &QCheckBox::clicked, this, &TMainform::Umrechnung_CheckBoxClick);
    connect(TabSheet2->Button2, &QPushButton::clicked, this, &TMainform::Button2Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainform::PageControl1Change);
    connect(Ende1, &QAction::triggered, this, &QWidget::close);
}

TMainform::~TMainform()
{
    ReleaseAll();
}

void TMainform::buildWindow()
{
    setObjectName(QStringLiteral("Mainform"));
    auto* central = new QWidget(this);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new LiveDatenTab(PageControl1);
    TabSheet2 = new EinstellungenTab(PageControl1);
    TabSheet3 = new QWidget(PageControl1);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet4 = new QWidget(PageControl1);
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet5 = new QWidget(PageControl1);
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Live Daten"));
    // The settings page holds more than the fixed window shows at once.
    auto* settingsScroll = new QScrollArea(PageControl1);
    settingsScroll->setWidget(TabSheet2);
    settingsScroll->setWidgetResizable(true);
    settingsScroll->setFrameShape(QFrame::NoFrame);
    PageControl1->addTab(settingsScroll, QStringLiteral("Einstellungen"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Statistiken"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Berichte"));
    PageControl1->addTab(TabSheet5, QStringLiteral("Datenbank"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
    central->setFixedSize(620, 384);
    setCentralWidget(central);

    QMenu* datei = menuBar()->addMenu(QStringLiteral("Datei1"));
    datei->setObjectName(QStringLiteral("Datei1"));
    Ende1 = datei->addAction(QStringLiteral("Ende1"));
    Ende1->setObjectName(QStringLiteral("Ende1"));
    this->layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    NicEngine = namedTimer(this, "NicEngine", 1000);
    DfuEngine = namedTimer(this, "DfuEngine", 1000);
    Datumsprueftimer = namedTimer(this, "Datumsprueftimer", 60000);
    CacheToHDDTimer = namedTimer(this, "CacheToHDDTimer", 0);
    AutoBerichtTimer = namedTimer(this, "AutoBerichtTimer", 3600000);
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
    t->Basisprio_TrackBar->setValue(e.basisprio);
    t->Bewareoftrafficdouble->setChecked(e.doppeltertraffic);
    t->Update_ComboBox->setCurrentIndex(e.autoUpdate);
    t->nic_CheckBox->setChecked(e.nicEngine);
    t->CacheIntervalEdit->setText(e.cacheIntervalText);
    move(e.left, e.top);
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
    e.left = x();
    e.top = y();
    e.visible = isVisible();
    return e;
}

void TMainform::applyLanguage()
{
    // Texts go to the controls in the file's order; a missing text empties the
    // caption, as a missing file does.
    const QList<QWidget*> pages = {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5};
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
    const QStringList& headers = m_sprache->liveGridHeaders();
    for (int c = 0; c < 6 && c < headers.size(); ++c)
        TabSheet1->StringGrid1->horizontalHeaderItem(c)->setText(headers[c]);
    QComboBox* update = TabSheet2->Update_ComboBox;
    const int selected = update->currentIndex();
    update->clear();
    update->addItems(m_sprache->updateItems());
    update->setCurrentIndex(selected);
}

void TMainform::createEntries()
{
    std::vector<IfRow> rows;
    InterfaceTable* table = m_services.interfaceTable;
    if (TabSheet2->nic_CheckBox->isChecked()) {
        if (!table || !table->open() || !table->read(rows)) {
            // Without the interface table no adapter can be counted; the fatal
            // path takes this over once it exists.
            message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error9")));
            rows.clear();
        }
    }
    for (const IfRow& row : rows) {
        auto* nic = new TNic(&m_sampleContext);
        nic->setIdentity(row, m_einstellungen.sonderModus);
        applyDefaultSettings(*nic, row.type, row.speed, false);
        v.push_back(nic);
    }
    if (TabSheet2->dfu_CheckBox->isChecked()) {
        auto* nic = new TNic(&m_sampleContext);
        nic->setDfuIdentity(m_sprache->dfuName());
        applyDefaultSettings(*nic, 0, 0, true);
        v.push_back(nic);
    }
}

void TMainform::NicEngineTimer()
{
    m_sampleContext.intervalMs = NicEngine->interval();
    m_sampleContext.bewareOfTrafficDouble = TabSheet2->Bewareoftrafficdouble->isChecked();
    try {
        if (m_services.interfaceTable)
            sampleInterfaceTable(*m_services.interfaceTable, v, m_einstellungen.sonderModus);
    } catch (const std::exception&) {
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error9")));
    }
    if (!isVisible())
        return; // a hidden window's grid keeps its old texts
    QTableWidget* grid = TabSheet1->StringGrid1;
    const std::vector<LiveGridRow> rows = liveGridRows(v, Umrechnungsfaktor, *m_sprache);
    for (int r = 0; r < static_cast<int>(rows.size()) && r < grid->rowCount(); ++r) {
        for (int c = 0; c < 6; ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem();
                grid->setItem(r, c, item);
            }
            item->setText(rows[r].cells[c]);
        }
    }
}

void TMainform::RefreshLiveGridRows()
{
    // The header is not a grid row here, so the grid holds one row less.
    TabSheet1->StringGrid1->setRowCount(liveGridRowCount(v) - 1);
}

void TMainform::PageControl1Change(int index)
{
    if (index == 0)
        RefreshLiveGridRows();
    else if (index == 1)
        refillAdapterChooser();
}

void TMainform::refillAdapterChooser()
{
    QComboBox* box = TabSheet2->Einstellungen_Nic_ComboBox;
    box->clear();
    for (const TNic* nic : v)
        box->addItem(nic->Name);
    box->setCurrentIndex(-1);
}

void TMainform::Einstellungen_Nic_ComboBoxSelect(int index)
{
    if (index < 0 || index >= static_cast<int>(v.size()))
        return;
    const TNic& nic = *v[index];
    EinstellungenTab* t = TabSheet2;
    t->Einstellungen_anzeigen_CheckBox->setChecked(nic.anzeigen_live);
    t->Einstellungen_anzeigen_Graph_CheckBox->setChecked(nic.anzeigen_graph);
    t->MaxSpeed_Edit->setText(QString::number(nic.maxspeed));
    t->Einstellungen_OnTop_CheckBox->setChecked(nic.ontop);
    t->Einstellungen_Tranz_CheckBox->setChecked(nic.tranz);
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
}

void TMainform::Button2Click()
{
    m_einstellungen = controlsToSettings();
    if (EinstellungenSpeichern(m_einstellungen))
        message(MessageSink::Icon::Information, m_sprache->error(QStringLiteral("Error13")));
    else
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error14")));
}

void TMainform::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainform::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    for (QTimer* t : {NicEngine, DfuEngine, Datumsprueftimer, CacheToHDDTimer, AutoBerichtTimer})
        t->stop();
    ReleaseAll();
}

void TMainform::ReleaseAll()
{
    for (TNic* nic : v)
        delete nic;
    v.clear();
    if (m_sprache) {
        Einstellungen e = controlsToSettings();
        FensterSpeichern(e, true);
        m_sprache.reset();
    }
    m_verInfo.reset();
    if (m_services.interfaceTable)
        m_services.interfaceTable->close();
}
