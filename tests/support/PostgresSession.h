#pragma once

#include <QString>
#include <QStringList>

struct pg_conn;

// One connection of the test's own to a test server that stays open, for what must last
// across steps of a test: a transaction that holds a lock on the central table.
class PostgresSession
{
public:
    explicit PostgresSession(const QString& connectionString);
    ~PostgresSession();
    PostgresSession(const PostgresSession&) = delete;
    PostgresSession& operator=(const PostgresSession&) = delete;

    bool ok() const;
    // One statement; false with the server's reason in `error`.
    bool exec(const QString& sql, QString* error = nullptr);

private:
    pg_conn* m_conn = nullptr;
};
