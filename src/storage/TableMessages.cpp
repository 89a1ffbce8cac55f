#include "storage/TableMessages.h"

#include "config/TSprache.h"

namespace {

QString failureKey(TableCommand command)
{
    switch (command) {
    case TableCommand::Delete: return QStringLiteral("Error25");
    case TableCommand::Copy:
    case TableCommand::Move: return QStringLiteral("Error26");
    case TableCommand::Export: return QStringLiteral("Error24a");
    case TableCommand::Import: return QStringLiteral("Error27");
    }
    return {};
}

} // namespace

TableMessage tableResultMessage(const TSprache& sprache, TableCommand command, const QString& commandText,
                                const MaintenanceResult& result)
{
    if (!result.refusalKey.isEmpty())
        return {true, sprache.error(result.refusalKey)};
    const QString head = sprache.error(QStringLiteral("Error23")) + commandText;
    if (result.ok)
        return {false, head + sprache.error(QStringLiteral("Error24"))};
    QString text = head + sprache.error(failureKey(command));
    const QString detail = failureDetail(result).in(sprache);
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    return {true, text};
}

QString deleteQuestion(const TSprache& sprache, const QString& table, qint64 days)
{
    const QString section = QStringLiteral("TabSheet5");
    if (days < 0)
        return sprache.text(section, QStringLiteral("table_del_Abfrage_ohne_Tage")).arg(table);
    // One pass over the text: a "%2" in the table's name stays as it is.
    return sprache.text(section, QStringLiteral("table_del_Abfrage")).arg(table, QString::number(days));
}
