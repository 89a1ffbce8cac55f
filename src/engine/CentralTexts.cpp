#include "engine/CentralTexts.h"

#include "config/TSprache.h"

namespace CentralTexts {

namespace {

QString keyOf(PgError::Kind kind)
{
    switch (kind) {
    case PgError::Kind::BadConnectionString: return QStringLiteral("BadConnectionString");
    case PgError::Kind::Unreachable: return QStringLiteral("Unreachable");
    case PgError::Kind::Timeout: return QStringLiteral("Timeout");
    case PgError::Kind::NoPassword: return QStringLiteral("NoPassword");
    case PgError::Kind::AuthenticationFailed: return QStringLiteral("AuthenticationFailed");
    case PgError::Kind::DatabaseMissing: return QStringLiteral("DatabaseMissing");
    case PgError::Kind::SslRefused: return QStringLiteral("SslRefused");
    case PgError::Kind::PermissionDenied: return QStringLiteral("PermissionDenied");
    case PgError::Kind::TableShape: return QStringLiteral("TableShape");
    case PgError::Kind::BadValue: return QStringLiteral("BadValue");
    case PgError::Kind::Aborted:
    case PgError::Kind::Other: break;
    }
    return QStringLiteral("Other");
}

} // namespace

QString text(const TSprache* sprache, const QString& key)
{
    const QString t = sprache ? sprache->text(QStringLiteral("Zentrale"), key) : QString();
    return t.isEmpty() ? key : t;
}

QString failure(const TSprache* sprache, PgError::Kind kind, const QString& detail)
{
    const QString head = text(sprache, keyOf(kind));
    return detail.isEmpty() ? head : head + QLatin1Char(' ') + detail;
}

} // namespace CentralTexts
