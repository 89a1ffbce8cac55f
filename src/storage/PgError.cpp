#include "storage/PgError.h"

PgError::PgError(Kind kind, const QString& message, const QString& sqlState)
    : std::runtime_error(message.toUtf8().toStdString())
    , m_kind(kind)
    , m_sqlState(sqlState)
{
}

QString PgError::message() const { return QString::fromUtf8(what()); }

PgError::Kind PgError::kindOfSqlState(const QString& s)
{
    if (s == QLatin1String("28P01") || s == QLatin1String("28000"))
        return Kind::AuthenticationFailed;
    if (s == QLatin1String("3D000"))
        return Kind::DatabaseMissing;
    if (s == QLatin1String("42501"))
        return Kind::PermissionDenied;
    if (s == QLatin1String("42P01") || s == QLatin1String("42703") || s == QLatin1String("42P10")
        || s == QLatin1String("42804"))
        return Kind::TableShape; // no table, a column missing, no key to upsert on, a column of another type
    if (s == QLatin1String("22003") || s == QLatin1String("23514"))
        return Kind::BadValue; // out of range, a check of the table refused the row
    if (s.startsWith(QLatin1String("08")) || s.startsWith(QLatin1String("57P")) || s == QLatin1String("53300"))
        return Kind::Unreachable; // connection failures, a server shutting down or full
    return Kind::Other;
}
