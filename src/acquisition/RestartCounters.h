#pragma once

#include "acquisition/IfRow.h"

#include <QString>
#include <vector>

class TNic;

// The raw counters every entry last counted from, with the boot they belong to.
// A restart within the same boot starts each entry from these values, so the
// first sample counts exactly the traffic since then and nothing twice.
class RestartCounters
{
public:
    // `bootIdPath` is the kernel's boot identity, injectable for tests.
    explicit RestartCounters(QString filePath,
                             QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));

    // Writes every entry's Index and previous raw counters; false on failure.
    // `cacheContent` is the cache file as just written (empty: there is none),
    // so the two files are only used together when they belong together.
    bool write(const std::vector<TNic*>& v, const QByteArray& cacheContent) const;

    // Sets `alte` of every adapter whose Index is in the file, when the boot is
    // the same and its current kernel counters (from `rows`, matched by ID) are
    // not below the stored ones, and the cache file is the one written with
    // them. Returns how many entries were restored.
    int restore(const std::vector<TNic*>& v, const std::vector<IfRow>& rows, bool sonderModus,
                const QByteArray& cacheContent) const;

    QString filePath() const { return m_filePath; }

private:
    QString bootId() const;

    QString m_filePath;
    QString m_bootIdPath;
};
