#pragma once

#include <QString>

#include <libpq-fe.h>

#define NETZPEGEL_LIBPQ_FUNCTIONS(X)                                                                    \
    X(PQclear) X(PQcmdTuples) X(PQconnectPoll) X(PQconnectStartParams) X(PQconnectionNeedsPassword)    \
    X(PQconninfoFree) X(PQconninfoParse) X(PQconsumeInput) X(PQdb) X(PQerrorMessage) X(PQfinish)       \
    X(PQflush) X(PQfname) X(PQfreemem) X(PQftype) X(PQgetResult) X(PQgetisnull) X(PQgetlength)         \
    X(PQgetvalue) X(PQhost) X(PQisBusy) X(PQnfields) X(PQntuples) X(PQport) X(PQresultErrorField)      \
    X(PQresultErrorMessage) X(PQresultStatus) X(PQsendQueryParams) X(PQsetErrorVerbosity)              \
    X(PQsetNoticeProcessor) X(PQsetnonblocking) X(PQsocket) X(PQstatus)

// libpq's functions, from the library loaded when a central database is first used: most
// machines never have one, and libpq with what it pulls in (TLS, Kerberos, LDAP) would cost
// every process most of a megabyte.
struct LibPq
{
#define NETZPEGEL_LIBPQ_MEMBER(name) decltype(&::name) name = nullptr;
    NETZPEGEL_LIBPQ_FUNCTIONS(NETZPEGEL_LIBPQ_MEMBER)
#undef NETZPEGEL_LIBPQ_MEMBER

    // The library, loaded on the first call; null, with the reason in `error`, when it cannot be.
    static const LibPq* load(QString* error = nullptr);
};
