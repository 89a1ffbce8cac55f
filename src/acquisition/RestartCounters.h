#pragma once

#include "acquisition/IfRow.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class TNic;

// The raw counters every entry last counted from, with the boot they belong to,
// beside the cache file: a restart within the same boot starts each adapter
// from these values, so its first sample counts exactly the traffic since then
// and nothing twice. The file also names, in order, the entry of each group of
// the cache file written with it, so the groups find their adapters by Index
// when interfaces came or went.
class RestartCounters
{
public:
    // `bootIdPath` is the kernel's boot identity, injectable for tests.
    explicit RestartCounters(QString filePath,
                             QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));

    // Writes every entry's Index in order, with its previous raw counters once
    // it has been sampled; false on failure. `cacheContent` is the cache file as
    // just written (empty: there is none), so the two files are only used
    // together when they belong together.
    bool write(const std::vector<TNic*>& v, const QByteArray& cacheContent) const;

    // Reads what the last run left. Its counters count only in the same boot
    // and with the cache file `cacheContent` they were written with; its list
    // of entries only with that cache file.
    void load(const QByteArray& cacheContent);
    // The Index of each group of that cache file, in order; empty when unknown.
    const QStringList& cacheOwners() const { return m_owners; }

    // Sets `alte` of every adapter of v whose counters were loaded, when its
    // current kernel counters (its row in `rows`) are not below the stored
    // ones. Returns how many entries were restored.
    int restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows);
    // The same for one adapter and its row (an interface adopted during the
    // run). Stored counters are used at most once.
    bool restore(TNic& nic, const IfRow& row);

    QString filePath() const { return m_filePath; }

private:
    struct Stored
    {
        qulonglong send;
        qulonglong received;
    };

    QString bootId() const;

    QString m_filePath;
    QString m_bootIdPath;
    QStringList m_owners;
    QHash<QString, Stored> m_stored;
};
