#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own: a cluster made by initdb in a temporary folder,
// listening on a Unix socket in that folder and on a free port of 127.0.0.1; never the
// machine's own cluster. As root it runs as the user "postgres". Local connections are
// trusted; TCP connections need a password (scram-sha-256). The superuser is "postgres",
// and a database "netzpegel" exists. Stopped when the object goes, or by a watchdog when the
// program ends without that (a crash).
class PostgresServer
{
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // False, with the reason in error(), when the server could not be made or started.
    bool ok() const { return m_ok; }
    const QString& error() const { return m_error; }

    QString socketFolder() const { return m_dir.path(); }
    int port() const { return m_port; }
    // Over the socket, as the superuser (no password needed).
    QString connectionString(const QString& dbname = QStringLiteral("netzpegel")) const;
    // Over TCP to 127.0.0.1, as `user`, with extra "key=value" options.
    QString tcpConnectionString(const QString& user, const QString& extra = {},
                                const QString& dbname = QStringLiteral("netzpegel")) const;

    // pg_ctl stop with `mode` ("fast", "immediate"), and start again; true on success.
    bool stop(const QString& mode = QStringLiteral("fast"));
    bool start();
    bool running() const { return m_running; }

    // Drops and makes again the database "netzpegel": a fresh start for a test.
    bool resetDatabase();

    // Runs one statement as the superuser on "netzpegel", values bound as text ($1, ...);
    // rows as texts (NULL as a null QString). `error` receives the server's reason.
    QList<QStringList> query(const QString& sql, const QStringList& params = {}, QString* error = nullptr,
                             const QString& dbname = QStringLiteral("netzpegel")) const;
    bool exec(const QString& sql, const QStringList& params = {}, QString* error = nullptr,
              const QString& dbname = QStringLiteral("netzpegel")) const;

private:
    bool run(const QString& tool, const QStringList& arguments, QString* output = nullptr);
    QString binary(const QString& name) const;

    QTemporaryDir m_dir;
    QString m_bin;
    int m_port = 0;
    bool m_asPostgres = false;
    bool m_ok = false;
    bool m_running = false;
    QString m_error;
};
