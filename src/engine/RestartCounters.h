#pragma once

#include "acquisition/IfRow.h"

#include <QByteArray>
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
//
// Both only fit the cache file written with them. The file holds those of the
// newest cache and those of the cache on disk before it, and is written before
// the cache changes: a kill between the two writes leaves the old cache with
// the counters and names that go with it.
class RestartCounters
{
public:
    // `bootIdPath` names the file that tells this boot apart from others.
    explicit RestartCounters(QString filePath,
                             QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));

    // Writes every entry's Index in order, with its previous raw counters once
    // it has been sampled, as those of the cache `cacheContent` (empty: no
    // cache), keeping those of the cache on disk as the previous ones. False on
    // failure.
    bool write(const std::vector<TNic*>& v, const QByteArray& cacheContent);

    // Makes the cache file at `cachePath` hold `cacheContent`, or deletes it
    // when that is empty, after writing the counters that go with it. True
    // when the cache file is as asked.
    bool replaceCache(const std::vector<TNic*>& v, const QString& cachePath, const QByteArray& cacheContent);

    // Reads what the last run left for the cache on disk, `cacheContent`
    // (empty: there is none). Its counters count only in the same boot.
    void load(const QByteArray& cacheContent);
    // The Index of each group of that cache file, in order; empty when unknown.
    const QStringList& cacheOwners() const { return m_onDisk.owners; }

    // Sets `alte` of every adapter of v whose counters were loaded, when its
    // current kernel counters (its row in `rows`) are not below the stored
    // ones. Returns how many entries were restored.
    int restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows);
    // The same for one adapter and its row (an interface adopted during the
    // run). Stored counters are used at most once.
    bool restore(TNic& nic, const IfRow& row);

    QString filePath() const { return m_filePath; }

    // The file's text, read: the boot and, newest first, each cache's
    // fingerprint with the entries and counters written with it. Damaged
    // lines are skipped.
    struct Stored
    {
        qulonglong send;
        qulonglong received;
    };
    struct Generation
    {
        QByteArray fingerprint;
        QStringList owners;
        QHash<QString, Stored> counters;
    };
    struct Content
    {
        QByteArray boot;
        std::vector<Generation> generations;
    };
    static Content parse(const QByteArray& text);
    static QByteArray fingerprint(const QByteArray& cacheContent);
    // The entries of v as they are written: each Index, with its counters once sampled.
    static Generation generationOf(const std::vector<TNic*>& v, const QByteArray& fingerprint);
    static QByteArray entryLines(const Generation& g);
    // Sets `alte` of `nic` from `counters` as restore() does, taking them out.
    static bool apply(QHash<QString, Stored>& counters, TNic& nic, const IfRow& row);

private:
    QByteArray bootId() const;

    QString m_filePath;
    QString m_bootIdPath;
    // The names and counters of the cache on disk, once known: kept in the
    // file until a newer cache has replaced that one.
    bool m_onDiskKnown = false;
    Generation m_onDisk;
    // Counters of this boot not yet given to an entry.
    QHash<QString, Stored> m_stored;
};
