#include "support/PostgresSession.h"

#include <libpq-fe.h>

PostgresSession::PostgresSession(const QString& connectionString)
    : m_conn(PQconnectdb(connectionString.toUtf8().constData()))
{
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
}

PostgresSession::~PostgresSession() { PQfinish(m_conn); }

bool PostgresSession::ok() const { return PQstatus(m_conn) == CONNECTION_OK; }

bool PostgresSession::exec(const QString& sql, QString* error)
{
    PGresult* res = PQexec(m_conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(res);
    const bool done = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!done && error)
        *error = QString::fromUtf8(PQresultErrorMessage(res)).trimmed();
    PQclear(res);
    return done;
}
