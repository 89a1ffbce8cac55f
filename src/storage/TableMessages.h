#pragma once

#include "storage/TableMaintenance.h"

#include <QString>

class TSprache;

// What the database tab tells the user after a command.
struct TableMessage
{
    bool error = false; // error icon, else information
    QString text;
};

// "Error23" + the command's text + "Error24" on success, or the command's
// failure text ("Error25" delete, "Error26" copy and move, "Error24a" export,
// "Error27" import) followed by the reason on a line of its own. A refusal
// with a message of its own ("Error28", "Error20") shows that message.
TableMessage tableResultMessage(const TSprache& sprache, TableCommand command, const QString& commandText,
                                const MaintenanceResult& result);

// The question before a delete, naming the table and how many days it holds;
// `days` below 0 for a table that holds no days (a settings table).
QString deleteQuestion(const TSprache& sprache, const QString& table, qint64 days);
