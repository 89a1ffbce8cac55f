#include "storage/DBUpdates.h"

#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

#include <QStringList>

namespace {

QStringList settingsTables(Database& db)
{
    QStringList tables;
    for (const QString& name : db.userTables()) {
        if (TrafficStatements::isSettingsTable(name))
            tables << name;
    }
    return tables;
}

} // namespace

QString currentDbVersion() { return QStringLiteral("2.2"); }

QString unknownDatabaseLogMessage()
{
    return QStringLiteral("Von Funktion 'Check_and_Do_DBUpdate()' (aufgerufen in: '__fastcall "
                          "TMainform::TMainform(TComponent* Owner): TForm(Owner)') wurde der "
                          "Rückgabewert 3 ermittelt | Die Datenbank ist unbekannt und kann nicht "
                          "aktualisiert werden!");
}

int Check_and_Do_DBUpdate(Database& db, QString& dbVersion)
{
    try {
        const QString v = TrafficStatements::readVersion(db);
        dbVersion = v;
        setLogDbVersion(v);
        if (v == currentDbVersion())
            return 1;
        const bool known = v == QLatin1String("2 RC2") || v == QLatin1String("2") || v == QLatin1String("2.1");
        if (!known)
            return 3;

        // One transaction: a failed upgrade leaves no half-altered table behind,
        // so the next start can run it again from the beginning.
        Database::Transaction transaction(db);
        // "2 RC2" and "2" only changed column types (anzeigen to CHAR(2),
        // maxspeed to DOUBLE); the engine's type affinity needs no statement.
        if (v == QLatin1String("2.1")) {
            for (const QString& table : settingsTables(db)) {
                for (const char* column : {"forecolor", "backcolor", "sendgraph", "recvgraph"})
                    TrafficStatements::addColumn(db, table, QString::fromLatin1(column), QStringLiteral("INTEGER"));
                TrafficStatements::fillDefaultColours(db, table);
            }
        }
        TrafficStatements::writeVersion(db, currentDbVersion());
        transaction.commit();
        dbVersion = currentDbVersion();
        setLogDbVersion(dbVersion);
        return 2;
    } catch (const std::exception& e) {
        LogException(e, QStringLiteral("Exception in Funktion 'Check_and_Do_DBUpdate()' in Datei DBUpdates_Unit| Genaue Meldung:"));
    } catch (...) {
        LogException(QStringLiteral("Unspezifizierte Exception in Funktion 'Check_and_Do_DBUpdate()' in Datei DBUpdates_Unit"),
                     QStringLiteral("Exception"));
    }
    return 0;
}
