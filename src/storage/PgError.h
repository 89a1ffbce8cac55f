#pragma once

#include <QString>

#include <stdexcept>

// A failed operation on a PostgreSQL server, sorted by what the user can do about it;
// the message carries the server's or libpq's own words.
class PgError : public std::runtime_error
{
public:
    enum class Kind {
        BadConnectionString, // not a libpq connection string or URI
        Unreachable,         // no server answers at that address, or the connection broke
        Timeout,             // a server took longer than the time allowed
        NoPassword,          // the server wants a password and none was found (~/.pgpass)
        AuthenticationFailed,
        DatabaseMissing,
        SslRefused,          // TLS asked for (sslmode) and not offered, or refused
        PermissionDenied,
        TableShape,          // the central table exists in another shape
        BadValue,            // a value in the table is none a day can hold
        Aborted,             // stopped from our side
        Other,
    };

    PgError(Kind kind, const QString& message, const QString& sqlState = {});
    Kind kind() const { return m_kind; }
    QString message() const;
    // The five-character SQLSTATE the server sent; empty when the failure was not the server's.
    const QString& sqlState() const { return m_sqlState; }

    // The kind an error of the server with `sqlState` is; Other for the rest.
    static Kind kindOfSqlState(const QString& sqlState);

private:
    Kind m_kind;
    QString m_sqlState;
};
