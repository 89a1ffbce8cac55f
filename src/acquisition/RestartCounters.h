#pragma once

#include "acquisition/IfRow.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

class TNic;

// The raw counters every entry last counted from, with the boot they belong to.
// A restart within the same boot starts each entry from these values, so the
// first sample counts exactly the traffic since then and nothing twice.
//
// The counters only fit the cache file written with them. The file holds the
// counters of the newest cache and those of the cache on disk before it, and
// is written before the cache changes: a kill between the two writes leaves
// the old cache with the counters that go with it.
class RestartCounters
{
public:
    // `bootIdPath` is the kernel's boot identity, injectable for tests.
    explicit RestartCounters(QString filePath,
                             QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));

    // Writes every entry's Index and previous raw counters as those of the
    // cache `cacheContent` (empty: no cache), keeping the counters of the cache
    // on disk as the previous ones. False on failure.
    bool write(const std::vector<TNic*>& v, const QByteArray& cacheContent);

    // Makes the cache file at `cachePath` hold `cacheContent`, or deletes it
    // when that is empty, after writing the counters that go with it. True
    // when the cache file is as asked.
    bool replaceCache(const std::vector<TNic*>& v, const QString& cachePath, const QByteArray& cacheContent);

    // Sets `alte` of every adapter whose Index is in the file, when the boot is
    // the same and its current kernel counters (from `rows`, matched by ID) are
    // not below the stored ones, and the counters are those written with the
    // cache on disk, `cacheContent` (empty: there is none). Returns how many
    // entries were restored.
    int restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows, bool sonderModus,
                const QByteArray& cacheContent);

    QString filePath() const { return m_filePath; }

    // The file's text, read: the boot and, newest first, each cache's
    // fingerprint with the counters written with it. Damaged lines are skipped.
    struct Stored
    {
        qulonglong send;
        qulonglong received;
    };
    struct Generation
    {
        QByteArray fingerprint;
        QHash<QString, Stored> counters;
        QByteArray text; // the counter lines as written
    };
    struct Content
    {
        QByteArray boot;
        std::vector<Generation> generations;
    };
    static Content parse(const QByteArray& text);
    static QByteArray fingerprint(const QByteArray& cacheContent);
    // The counter lines of the entries as written (never sampled ones left out).
    static QByteArray counterLines(const std::vector<TNic*>& v);
    // Sets `alte` from `counters` as restore() does; returns how many entries.
    static int apply(const QHash<QString, Stored>& counters, const std::vector<TNic*>& v,
                     const std::vector<IfRow>& rows, bool sonderModus);

private:
    QByteArray bootId() const;

    QString m_filePath;
    QString m_bootIdPath;
    // The counters of the cache on disk, once known: kept in the file until a
    // newer cache has replaced that one.
    bool m_onDiskKnown = false;
    Generation m_onDisk;
};
