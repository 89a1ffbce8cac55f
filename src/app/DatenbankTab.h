#pragma once

#include "storage/TableMaintenance.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class Database;
class MessageSink;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TSprache;
class TableMaintenanceThread;

// Tab page "Datenbank": deletes, merges, moves, exports and imports traffic
// tables. The operations run on a worker thread; the page shows their
// progress and result.
class DatenbankTab : public QWidget
{
    Q_OBJECT
public:
    // What the page works with; nothing owned. Choosers return an empty
    // text when cancelled; without one, Qt's file dialogs are shown.
    struct Services
    {
        Database* database = nullptr; // the user-interface thread's connection
        const TSprache* sprache = nullptr;
        MessageSink* messages = nullptr;
        std::function<QString(const QString& folder, const QString& filter)> chooseOpenFile;
        std::function<QString(const QString& folder, const QString& filter)> chooseSaveFile;
    };

    explicit DatenbankTab(QWidget* parent = nullptr);
    ~DatenbankTab() override;

    void setServices(const Services& services);
    // The items of Befehlauswahl_ComboBox, in command order; none selected.
    void setCommandTexts(const QStringList& items);

    // Both table lists refilled with the database's tables.
    void RefreshTableLists();
    // Runs the selected command on the chosen tables.
    void Button3Click();
    bool busy() const;
    // Whether the running operation was asked to stop; safe from any thread.
    bool stopping() const;
    // For the shutdown: stops a running operation (it then changes nothing),
    // waits for it, and lets go of the services; no message follows, and the
    // page does nothing from then on.
    void shutDown();

    QLabel* Label23;
    QComboBox* Tables_Source_ComboBox;
    QLabel* Label24;
    QComboBox* Befehlauswahl_ComboBox;
    QLabel* Label25;
    QComboBox* Tables_Destination_ComboBox;
    QPushButton* Button3;
    QProgressBar* Db_ProgressBar;

signals:
    // A command's result was shown and the lists refreshed.
    void commandFinished();

private:
    void start(const TableRequest& request);
    void showProgress(qint64 done, qint64 total);
    void operationFinished(const MaintenanceResult& result);
    void showResult(const MaintenanceResult& result);
    QString chooseFile(bool save);
    qint64 storedDays(const QString& table) const;

    Services m_services;
    TableMaintenanceThread* m_worker;
    TableCommand m_command = TableCommand::Delete;
    QString m_commandText;
};
