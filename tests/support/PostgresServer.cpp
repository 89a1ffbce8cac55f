#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The newest installed server version's programs.
QString serverBinaries()
{
    QDir lib(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versions) {
        const QString bin = lib.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool chownTree(const QString& path, uid_t uid, gid_t gid)
{
    return ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

} // namespace

PostgresServer::PostgresServer()
{
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("no PostgreSQL server programs below /usr/lib/postgresql (apt-get install postgresql)");
        return;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return;
    }
    m_port = freePort();
    if (m_port == 0) {
        m_error = QStringLiteral("no free port on 127.0.0.1");
        return;
    }
    // initdb refuses to run as root: the server then belongs to the user the package made.
    if (::geteuid() == 0) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw) {
            m_error = QStringLiteral("running as root and there is no user 'postgres' to run the server as");
            return;
        }
        if (!chownTree(m_dir.path(), pw->pw_uid, pw->pw_gid)) {
            m_error = QStringLiteral("cannot give %1 to the user postgres").arg(m_dir.path());
            return;
        }
        m_asPostgres = true;
    }
    QString output;
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"), QStringLiteral("postgres"),
              QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"),
              QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
             &output)) {
        m_error = QStringLiteral("initdb failed: ") + output;
        return;
    }
    if (!start())
        return;
    QString why;
    if (!exec(QStringLiteral("CREATE DATABASE netzpegel"), {}, &why, QStringLiteral("postgres"))) {
        m_error = QStringLiteral("cannot make the database netzpegel: ") + why;
        return;
    }
    // A test program that crashes never runs the destructor: a watchdog then stops the server
    // and removes its folder once the program is gone.
    const QString stopCommand = (m_asPostgres ? QStringLiteral("runuser -u postgres -- ") : QString()) + binary(QStringLiteral("pg_ctl"))
        + QStringLiteral(" -D '%1' -m immediate stop").arg(m_dir.filePath(QStringLiteral("data")));
    QProcess::startDetached(QStringLiteral("sh"),
                            {QStringLiteral("-c"), QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; %2 "
                                                                  ">/dev/null 2>&1; rm -rf '%3'")
                                                       .arg(QCoreApplication::applicationPid())
                                                       .arg(stopCommand, m_dir.path())});
    m_ok = true;
}

PostgresServer::~PostgresServer()
{
    if (m_running)
        stop(QStringLiteral("fast"));
}

QString PostgresServer::binary(const QString& name) const { return m_bin + QLatin1Char('/') + name; }

bool PostgresServer::run(const QString& tool, const QStringList& arguments, QString* output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (m_asPostgres)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                                                      binary(tool)} + arguments);
    else
        p.start(binary(tool), arguments);
    const bool finished = p.waitForFinished(120000);
    if (!finished)
        p.kill();
    if (output)
        *output = QString::fromUtf8(p.readAll()).trimmed();
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PostgresServer::start()
{
    const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                           "-c full_page_writes=off")
                                .arg(m_dir.path())
                                .arg(m_port);
    QString output;
    if (!run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                                        m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                                        QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), options,
                                        QStringLiteral("start")},
             &output)) {
        QFile log(m_dir.filePath(QStringLiteral("server.log")));
        log.open(QIODevice::ReadOnly);
        m_error = QStringLiteral("pg_ctl start failed: ") + output + QLatin1Char('\n') + QString::fromUtf8(log.readAll());
        return false;
    }
    m_running = true;
    return true;
}

bool PostgresServer::stop(const QString& mode)
{
    QString output;
    const bool stopped = run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                                        QStringLiteral("-m"), mode, QStringLiteral("-w"),
                                                        QStringLiteral("stop")},
                             &output);
    if (stopped)
        m_running = false;
    else
        m_error = QStringLiteral("pg_ctl stop failed: ") + output;
    return stopped;
}

QString PostgresServer::connectionString(const QString& dbname) const
{
    return QStringLiteral("host=%1 port=%2 user=postgres dbname=%3").arg(m_dir.path()).arg(m_port).arg(dbname);
}

QString PostgresServer::tcpConnectionString(const QString& user, const QString& extra, const QString& dbname) const
{
    QString s = QStringLiteral("host=127.0.0.1 port=%1 user=%2 dbname=%3").arg(m_port).arg(user, dbname);
    return extra.isEmpty() ? s : s + QLatin1Char(' ') + extra;
}

bool PostgresServer::resetDatabase()
{
    return exec(QStringLiteral("DROP DATABASE IF EXISTS netzpegel WITH (FORCE)"), {}, nullptr, QStringLiteral("postgres"))
        && exec(QStringLiteral("CREATE DATABASE netzpegel"), {}, nullptr, QStringLiteral("postgres"));
}

QList<QStringList> PostgresServer::query(const QString& sql, const QStringList& params, QString* error,
                                         const QString& dbname) const
{
    QList<QStringList> rows;
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(connectionString(dbname).toUtf8().constData()),
                                                      &PQfinish);
    PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        if (error)
            *error = QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
        return rows;
    }
    std::vector<QByteArray> texts;
    for (const QString& p : params)
        texts.push_back(p.toUtf8());
    std::vector<const char*> values;
    for (const QByteArray& t : texts)
        values.push_back(t.constData());
    std::unique_ptr<PGresult, decltype(&PQclear)> res(
        PQexecParams(conn.get(), sql.toUtf8().constData(), static_cast<int>(values.size()), nullptr, values.data(),
                     nullptr, nullptr, 0),
        &PQclear);
    const ExecStatusType status = PQresultStatus(res.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        if (error)
            *error = QString::fromUtf8(PQresultErrorMessage(res.get())).trimmed();
        return rows;
    }
    if (error)
        error->clear();
    for (int r = 0; r < PQntuples(res.get()); ++r) {
        QStringList row;
        for (int c = 0; c < PQnfields(res.get()); ++c)
            row << (PQgetisnull(res.get(), r, c) ? QString() : QString::fromUtf8(PQgetvalue(res.get(), r, c)));
        rows << row;
    }
    return rows;
}

bool PostgresServer::exec(const QString& sql, const QStringList& params, QString* error, const QString& dbname) const
{
    QString why;
    query(sql, params, &why, dbname);
    if (error)
        *error = why;
    return why.isEmpty();
}
