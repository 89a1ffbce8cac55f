#include "cli/CentralAccess.h"

#include "base/ProgramFolder.h"
#include "storage/PgConnection.h"
#include "storage/PgError.h"

namespace CentralAccess {

bool connectionString(const ProgramFiles& files, QString& out, QString& error)
{
    out = files.einstellungen.zentrale;
    if (out.isEmpty()) {
        error = QStringLiteral("no central database is set (key Zentrale in [Allgemein] of %1, the field "
                               "\"Zentrale Datenbank\" of the settings tab)")
                    .arg(settingsFilePath());
        return false;
    }
    QString why;
    if (!PgConnection::isConnectionString(out, &why)) {
        error = QStringLiteral("the setting Zentrale is no connection string: %1").arg(why);
        return false;
    }
    return true;
}

QString describe(const PgError& e)
{
    QString what;
    switch (e.kind()) {
    case PgError::Kind::BadConnectionString: what = QStringLiteral("the connection string is none"); break;
    case PgError::Kind::Unreachable: what = QStringLiteral("the central database cannot be reached"); break;
    case PgError::Kind::Timeout: what = QStringLiteral("the central database did not answer in time"); break;
    case PgError::Kind::NoPassword:
        what = QStringLiteral("the server wants a password and none was found (put it into ~/.pgpass)");
        break;
    case PgError::Kind::AuthenticationFailed:
        what = QStringLiteral("the server refused the login (user or password wrong)");
        break;
    case PgError::Kind::DatabaseMissing: what = QStringLiteral("the database does not exist on the server"); break;
    case PgError::Kind::SslRefused:
        what = QStringLiteral("no encrypted connection could be made as sslmode asks");
        break;
    case PgError::Kind::PermissionDenied:
        what = QStringLiteral("the role lacks a right on the central table");
        break;
    case PgError::Kind::TableShape:
        what = e.sqlState() == QLatin1String("42P01")
            ? QStringLiteral("the central database has no table netzpegel_days yet: no machine has sent to it")
            : QStringLiteral("the central table is not as this program needs it");
        break;
    case PgError::Kind::BadValue: what = QStringLiteral("the central table holds values no day can hold"); break;
    case PgError::Kind::Aborted: what = QStringLiteral("stopped"); break;
    case PgError::Kind::Other: what = QStringLiteral("the central database failed"); break;
    }
    return what + QStringLiteral(": ") + e.message();
}

} // namespace CentralAccess
