#include "storage/PgConnection.h"

#include "storage/LibPq.h"

#include <QRegularExpression>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

namespace {

QString unloadable(const QString& reason) { return QStringLiteral("libpq cannot be loaded: %1").arg(reason); }

// libpq, loaded on first use; where it cannot be, the loader's reason is the failure.
const LibPq& pq()
{
    QString reason;
    if (const LibPq* functions = LibPq::load(&reason))
        return *functions;
    throw PgError(PgError::Kind::Other, unloadable(reason));
}

constexpr int kSliceMs = 100; // how often a wait looks at the abort check

// libpq's options of a connection string: every value, as keywords and values for
// PQconnectStartParams. Null with libpq's reason when the text is none.
struct ParsedOptions
{
    std::vector<QByteArray> keywords;
    std::vector<QByteArray> values;
    QString error;
    bool ok = false;

    QByteArray value(const char* keyword) const
    {
        for (size_t i = 0; i < keywords.size(); ++i)
            if (keywords[i] == keyword)
                return values[i];
        return {};
    }
    void set(const char* keyword, const QByteArray& value)
    {
        for (size_t i = 0; i < keywords.size(); ++i) {
            if (keywords[i] == keyword) {
                values[i] = value;
                return;
            }
        }
        keywords.emplace_back(keyword);
        values.push_back(value);
    }
};

ParsedOptions parseOptions(const QString& text)
{
    ParsedOptions parsed;
    QString reason;
    if (!LibPq::load(&reason)) {
        parsed.error = unloadable(reason);
        return parsed;
    }
    char* error = nullptr;
    PQconninfoOption* options = pq().PQconninfoParse(text.toUtf8().constData(), &error);
    if (!options) {
        parsed.error = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("out of memory");
        pq().PQfreemem(error);
        return parsed;
    }
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && *o->val) {
            parsed.keywords.emplace_back(o->keyword);
            parsed.values.emplace_back(o->val);
        }
    }
    pq().PQconninfoFree(options);
    parsed.ok = true;
    return parsed;
}

// The server's SQLSTATE in a verbose message ("FATAL:  28P01: password ..."), and the
// message without libpq's source location lines, which say nothing to a user.
QString sqlStateIn(const QString& message)
{
    static const QRegularExpression code(QStringLiteral(R"(\b[A-Z]+:\s+([0-9A-Z]{5}):)"));
    const QRegularExpressionMatch m = code.match(message);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString readable(const QString& message)
{
    QStringList lines;
    for (const QString& line : message.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1String("LOCATION:")))
            lines << line.trimmed();
    }
    return lines.join(QLatin1Char(' '));
}

struct ResultDeleter
{
    void operator()(PGresult* r) const { pq().PQclear(r); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

bool isIntegerType(Oid type)
{
    return type == 20 || type == 21 || type == 23; // int8, int2, int4
}

} // namespace

struct PgConnection::Result
{
    QStringList columns;
    QList<DbRow> rows;
    qint64 changed = 0;
};

PgConnection::PgConnection(QString connectionString)
    : PgConnection(std::move(connectionString), Options())
{
}

PgConnection::PgConnection(QString connectionString, Options options)
    : m_connectionString(std::move(connectionString))
    , m_options(options)
{
}

PgConnection::~PgConnection() { close(); }

bool PgConnection::isConnectionString(const QString& text, QString* error)
{
    const ParsedOptions parsed = parseOptions(text);
    if (!parsed.ok && error)
        *error = parsed.error;
    return parsed.ok;
}

void PgConnection::open()
{
    if (m_conn)
        return;
    pq(); // a missing library is no fault of the connection string
    ParsedOptions parsed = parseOptions(m_connectionString);
    if (!parsed.ok)
        throw PgError(PgError::Kind::BadConnectionString, parsed.error);
    // 0 or nothing would let libpq wait for ever; we never do.
    bool numeric = false;
    int timeoutSeconds = parsed.value("connect_timeout").toInt(&numeric);
    if (!numeric || timeoutSeconds <= 0) {
        timeoutSeconds = m_options.defaultConnectTimeoutSeconds;
        parsed.set("connect_timeout", QByteArray::number(timeoutSeconds));
    }
    // Every text we send is UTF-8, whatever the locale of the machine.
    parsed.set("client_encoding", "UTF8");
    if (parsed.value("fallback_application_name").isEmpty())
        parsed.set("fallback_application_name", "netzpegel");

    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (size_t i = 0; i < parsed.keywords.size(); ++i) {
        keywords.push_back(parsed.keywords[i].constData());
        values.push_back(parsed.values[i].constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);

    m_conn = pq().PQconnectStartParams(keywords.data(), values.data(), 0);
    if (!m_conn)
        throw PgError(PgError::Kind::Other, QStringLiteral("out of memory"));
    try {
        if (pq().PQstatus(m_conn) == CONNECTION_BAD)
            failFromConnection(true);
        // Server errors then carry their SQLSTATE, which tells a wrong password from a
        // missing database in any language.
        pq().PQsetErrorVerbosity(m_conn, PQERRORS_VERBOSE);
        // Notices (a table made, a connection ended by the server) are no business of the
        // terminal or the log; failures come as errors.
        pq().PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
        const QDeadlineTimer deadline(static_cast<qint64>(timeoutSeconds) * 1000);
        PostgresPollingStatusType state = PGRES_POLLING_WRITING;
        while (state != PGRES_POLLING_OK) {
            if (state == PGRES_POLLING_FAILED)
                failFromConnection(true);
            waitSocket(state == PGRES_POLLING_WRITING ? POLLOUT : POLLIN, deadline);
            state = pq().PQconnectPoll(m_conn);
        }
        if (pq().PQsetnonblocking(m_conn, 1) != 0)
            failFromConnection(true);
    } catch (...) {
        close(); // half a connection is none
        throw;
    }
}

void PgConnection::close()
{
    if (!m_conn)
        return;
    pq().PQfinish(m_conn);
    m_conn = nullptr;
}

void PgConnection::failFromConnection(bool connecting)
{
    const QString raw = m_conn ? QString::fromUtf8(pq().PQerrorMessage(m_conn)) : QString();
    const QString state = sqlStateIn(raw);
    PgError::Kind kind = PgError::kindOfSqlState(state);
    const bool needsPassword = m_conn && pq().PQconnectionNeedsPassword(m_conn);
    const bool broken = !m_conn || pq().PQstatus(m_conn) == CONNECTION_BAD;
    if (needsPassword)
        kind = PgError::Kind::NoPassword;
    else if (connecting && state.isEmpty() && raw.contains(QLatin1String("SSL")))
        kind = PgError::Kind::SslRefused;
    else if (state.isEmpty() && broken)
        kind = PgError::Kind::Unreachable; // refused, no such host or socket, connection lost
    const QString text = readable(raw);
    if (broken)
        close(); // the next use connects again
    throw PgError(kind, text.isEmpty() ? QStringLiteral("the connection failed") : text, state);
}

bool PgConnection::waitSocket(short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        if (aborted()) {
            close(); // the server ends what it was doing when the socket goes
            throw PgError(PgError::Kind::Aborted, QStringLiteral("stopped"));
        }
        const qint64 left = deadline.remainingTime();
        if (left == 0) {
            close();
            throw PgError(PgError::Kind::Timeout, QStringLiteral("no answer within the time allowed"));
        }
        pollfd p{};
        p.fd = pq().PQsocket(m_conn);
        if (p.fd < 0)
            failFromConnection(false);
        p.events = events;
        const int slice = left < 0 ? kSliceMs : static_cast<int>(std::min<qint64>(left, kSliceMs));
        const int n = ::poll(&p, 1, slice);
        if (n > 0)
            return (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        if (n < 0 && errno != EINTR)
            failFromConnection(false);
    }
}

PgConnection::Result PgConnection::run(const QString& sql, const QVariantList& params)
{
    open();
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
    texts.reserve(static_cast<size_t>(params.size()));
    for (const QVariant& v : params) {
        if (v.isNull()) {
            texts.emplace_back();
            values.push_back(nullptr);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::QDate: texts.push_back(v.toDate().toString(Qt::ISODate).toUtf8()); break;
        case QMetaType::Bool: texts.emplace_back(v.toBool() ? "t" : "f"); break;
        case QMetaType::Double:
        case QMetaType::Float: texts.push_back(QByteArray::number(v.toDouble(), 'g', 17)); break;
        default: texts.push_back(v.toString().toUtf8()); break;
        }
        values.push_back(texts.back().constData());
    }
    // Pointers into `texts` are only taken once it no longer grows.
    for (size_t i = 0; i < texts.size(); ++i)
        if (values[i])
            values[i] = texts[i].constData();

    if (!pq().PQsendQueryParams(m_conn, sql.toUtf8().constData(), static_cast<int>(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0))
        failFromConnection(false);
    const QDeadlineTimer deadline(m_options.statementTimeoutMs);
    // A large statement goes out in pieces; the server may answer meanwhile.
    for (;;) {
        const int flushed = pq().PQflush(m_conn);
        if (flushed == 0)
            break;
        if (flushed < 0)
            failFromConnection(false);
        if (waitSocket(POLLIN | POLLOUT, deadline) && !pq().PQconsumeInput(m_conn))
            failFromConnection(false);
    }

    Result result;
    std::optional<PgError> failure;
    for (;;) {
        while (pq().PQisBusy(m_conn)) {
            waitSocket(POLLIN, deadline);
            if (!pq().PQconsumeInput(m_conn))
                failFromConnection(false);
        }
        ResultPtr res(pq().PQgetResult(m_conn));
        if (!res)
            break;
        const ExecStatusType status = pq().PQresultStatus(res.get());
        if (status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE || status == PGRES_NONFATAL_ERROR) {
            if (!failure) {
                const char* code = pq().PQresultErrorField(res.get(), PG_DIAG_SQLSTATE);
                const QString state = code ? QString::fromLatin1(code) : QString();
                // The server's own sentence and its detail; not the statement it quotes.
                QString text = QString::fromUtf8(pq().PQresultErrorField(res.get(), PG_DIAG_MESSAGE_PRIMARY));
                if (const char* detail = pq().PQresultErrorField(res.get(), PG_DIAG_MESSAGE_DETAIL))
                    text += QStringLiteral(" (") + QString::fromUtf8(detail) + QLatin1Char(')');
                if (text.isEmpty())
                    text = readable(QString::fromUtf8(pq().PQresultErrorMessage(res.get())));
                failure.emplace(PgError::kindOfSqlState(state), text, state);
            }
            continue;
        }
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            continue;
        result.changed = QByteArray(pq().PQcmdTuples(res.get())).toLongLong();
        const int columns = pq().PQnfields(res.get());
        result.columns.clear();
        for (int c = 0; c < columns; ++c)
            result.columns << QString::fromUtf8(pq().PQfname(res.get(), c));
        const int rows = pq().PQntuples(res.get());
        for (int r = 0; r < rows; ++r) {
            QVariantList row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c) {
                if (pq().PQgetisnull(res.get(), r, c)) {
                    row << QVariant();
                    continue;
                }
                const char* text = pq().PQgetvalue(res.get(), r, c);
                if (isIntegerType(pq().PQftype(res.get(), c)))
                    row << QVariant(QByteArray(text).toLongLong());
                else
                    row << QVariant(QString::fromUtf8(text, pq().PQgetlength(res.get(), r, c)));
            }
            result.rows.append(DbRow(result.columns, row));
        }
    }
    if (pq().PQstatus(m_conn) == CONNECTION_BAD)
        failFromConnection(false);
    if (failure)
        throw *failure;
    return result;
}

qint64 PgConnection::exec(const QString& sql, const QVariantList& params)
{
    return run(sql, params).changed;
}

QList<DbRow> PgConnection::query(const QString& sql, const QVariantList& params)
{
    return run(sql, params).rows;
}

QString PgConnection::quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString PgConnection::textArray(const QStringList& items)
{
    QString out = QStringLiteral("{");
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString item = items[i];
        item.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        item.replace(QLatin1Char('"'), QLatin1String("\\\""));
        if (i > 0)
            out += QLatin1Char(',');
        out += QLatin1Char('"') + item + QLatin1Char('"');
    }
    return out + QLatin1Char('}');
}

QString PgConnection::target() const
{
    if (!m_conn)
        return {};
    return QString::fromUtf8(pq().PQhost(m_conn)) + QLatin1Char(':') + QString::fromUtf8(pq().PQport(m_conn))
        + QLatin1Char('/') + QString::fromUtf8(pq().PQdb(m_conn));
}
