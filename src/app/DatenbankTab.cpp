#include "app/DatenbankTab.h"

#include "base/MessageSink.h"
#include "app/NamedWidget.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"
#include "storage/TableMaintenanceThread.h"
#include "storage/TableMessages.h"
#include "storage/TrafficStatements.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Refills `box` with `items`, keeping its text when it is still one of them
// (an editable box keeps a typed text in any case).
void refill(QComboBox* box, const QStringList& items)
{
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    if (box->isEditable())
        box->setEditText(text);
    else
        box->setCurrentIndex(static_cast<int>(items.indexOf(text)));
}

} // namespace

DatenbankTab::DatenbankTab(QWidget* parent)
    : QWidget(parent)
    , m_worker(new TableMaintenanceThread(this))
{
    setObjectName(QStringLiteral("TabSheet5"));
    Label23 = namedWidget<QLabel>(this, "Label23");
    Tables_Source_ComboBox = namedWidget<QComboBox>(this, "Tables_Source_ComboBox");
    Label24 = namedWidget<QLabel>(this, "Label24");
    Befehlauswahl_ComboBox = namedWidget<QComboBox>(this, "Befehlauswahl_ComboBox");
    Label25 = namedWidget<QLabel>(this, "Label25");
    Tables_Destination_ComboBox = namedWidget<QComboBox>(this, "Tables_Destination_ComboBox");
    Tables_Destination_ComboBox->setEditable(true);
    // A typed name is the destination as it stands; it must not become an item.
    Tables_Destination_ComboBox->setInsertPolicy(QComboBox::NoInsert);
    Button3 = namedWidget<QPushButton>(this, "Button3");
    Db_ProgressBar = namedWidget<QProgressBar>(this, "Db_ProgressBar");
    Db_ProgressBar->setValue(0);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label23, 0, 0);
    grid->addWidget(Tables_Source_ComboBox, 1, 0);
    grid->addWidget(Label24, 0, 1);
    grid->addWidget(Befehlauswahl_ComboBox, 1, 1);
    grid->addWidget(Label25, 0, 2);
    grid->addWidget(Tables_Destination_ComboBox, 1, 2);
    grid->addWidget(Button3, 2, 2);
    grid->addWidget(Db_ProgressBar, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);

    connect(m_worker, &TableMaintenanceThread::progress, this, &DatenbankTab::showProgress);
    connect(m_worker, &TableMaintenanceThread::finished, this, &DatenbankTab::operationFinished);
}

DatenbankTab::~DatenbankTab() { shutDown(); }

void DatenbankTab::setServices(const Services& services) { m_services = services; }

void DatenbankTab::setCommandTexts(const QStringList& items)
{
    Befehlauswahl_ComboBox->clear();
    Befehlauswahl_ComboBox->addItems(items);
    Befehlauswahl_ComboBox->setCurrentIndex(-1);
}

bool DatenbankTab::busy() const { return m_worker->isRunning(); }

bool DatenbankTab::stopping() const { return m_worker->stopping(); }

void DatenbankTab::shutDown()
{
    m_worker->stop();
    m_services = Services();
}

void DatenbankTab::RefreshTableLists()
{
    QStringList tables;
    if (Database* db = m_services.database) {
        try {
            tables = db->userTables();
        } catch (const DatabaseError&) {
            // lists stay empty; the next showing tries again
        }
        db->close();
    }
    refill(Tables_Source_ComboBox, tables);
    refill(Tables_Destination_ComboBox, tables);
}

qint64 DatenbankTab::storedDays(const QString& table) const
{
    if (!m_services.database || TrafficStatements::isSettingsTable(table))
        return -1;
    try {
        return TrafficStatements::countRows(*m_services.database, table);
    } catch (const DatabaseError&) {
        return -1;
    }
}

QString DatenbankTab::chooseFile(bool save)
{
    const QString folder = programFolder();
    const QString filter = m_services.sprache ? m_services.sprache->dialogFilter(1) : QString();
    const auto& chooser = save ? m_services.chooseSaveFile : m_services.chooseOpenFile;
    if (chooser)
        return chooser(folder, filter);
    return save ? QFileDialog::getSaveFileName(this, QString(), folder, filter)
                : QFileDialog::getOpenFileName(this, QString(), folder, filter);
}

void DatenbankTab::Button3Click()
{
    if (busy() || !m_services.sprache || !m_services.database)
        return;
    const QString source = Tables_Source_ComboBox->currentText();
    const int item = Befehlauswahl_ComboBox->currentIndex();
    m_commandText = Befehlauswahl_ComboBox->currentText();
    if (isVersionTable(source) || item < 0 || item > static_cast<int>(TableCommand::Import)) {
        if (isVersionTable(source)) {
            MaintenanceResult refused;
            refused.refusalKey = QStringLiteral("Error28");
            showResult(refused);
        }
        RefreshTableLists();
        return;
    }
    TableRequest request;
    request.command = static_cast<TableCommand>(item);
    request.source = source;
    request.destination = Tables_Destination_ComboBox->currentText();
    m_command = request.command;
    if (const auto refused = refuseTableNames(request.command, request.source, request.destination)) {
        showResult(*refused);
        RefreshTableLists();
        return;
    }
    switch (request.command) {
    case TableCommand::Delete:
        if (!m_services.messages
            || !m_services.messages->ask(deleteQuestion(*m_services.sprache, source, storedDays(source)))) {
            RefreshTableLists();
            return;
        }
        break;
    case TableCommand::Export:
    case TableCommand::Import: {
        const bool save = request.command == TableCommand::Export;
        QString chosen = chooseFile(save);
        if (chosen.isEmpty()) {
            RefreshTableLists();
            return;
        }
        if (save && QFileInfo(chosen).suffix().isEmpty())
            chosen += QStringLiteral(".tab"); // the dialog's default extension
        request.file = save ? exportFileName(chosen, source) : chosen;
        break;
    }
    default:
        break;
    }
    start(request);
}

void DatenbankTab::start(const TableRequest& request)
{
    // A question or dialog was open: the window may have closed meanwhile.
    if (!m_services.database)
        return;
    Db_ProgressBar->setMaximum(100);
    Db_ProgressBar->setValue(0);
    if (m_worker->start(m_services.database->filePath(), request))
        Button3->setEnabled(false);
}

void DatenbankTab::showProgress(qint64 done, qint64 total)
{
    Db_ProgressBar->setMaximum(static_cast<int>(std::max<qint64>(total, 1)));
    Db_ProgressBar->setValue(static_cast<int>(std::min(done, total)));
}

void DatenbankTab::operationFinished(const MaintenanceResult& result)
{
    Button3->setEnabled(true);
    Db_ProgressBar->setValue(Db_ProgressBar->maximum());
    showResult(result);
    RefreshTableLists();
    emit commandFinished();
}

void DatenbankTab::showResult(const MaintenanceResult& result)
{
    if (!m_services.messages || !m_services.sprache)
        return;
    const TableMessage message = tableResultMessage(*m_services.sprache, m_command, m_commandText, result);
    m_services.messages->show(message.error ? MessageSink::Icon::Error : MessageSink::Icon::Information,
                              message.text);
}
