#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Most of the program's resident memory is pages of its libraries that only
// the start-up ran (the kernel maps 64 KiB around every page touched). Pages
// a file holds unchanged can be given back without losing anything: a later
// access reads them again from the page cache.
namespace StartupPages {

struct Range
{
    uintptr_t start = 0;
    uintptr_t end = 0;
    bool operator==(const Range&) const = default;
};

// The mappings of a /proc/<pid>/smaps text that hold only unchanged pages of a
// regular file: not writable, nothing copied or dirty, not locked, no device.
std::vector<Range> releasable(const QByteArray& smaps);

// Gives those pages of this process back, and the free heap; returns the size of the
// file ranges given back.
qint64 release(const QString& smapsPath = QStringLiteral("/proc/self/smaps"));

} // namespace StartupPages
