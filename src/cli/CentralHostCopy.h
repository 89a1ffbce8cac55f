#pragma once

#include "cli/ProgramFiles.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class Database;

// One machine's days from the central database, put into a database file of their own in a
// temporary folder, so that --stats and --report read another machine as they read the local
// file. The local file is not touched.
class CentralHostCopy
{
public:
    CentralHostCopy();
    ~CentralHostCopy();

    // Finds the host by id, or else by name, and copies its days. False, with the reason in
    // `error`: no such host, several hosts of that name, the server's failure, bad rows.
    bool load(const QString& connectionString, const QString& host, QString& error);

    Database& database() { return *m_db; }
    const QString& hostId() const { return m_hostId; }
    const QString& hostName() const { return m_hostName; }
    // The host's adapters: index = its traffic table there, name = as the host names it.
    const std::vector<ProgramEntry>& adapters() const { return m_adapters; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    QString m_hostId;
    QString m_hostName;
    std::vector<ProgramEntry> m_adapters;
};
