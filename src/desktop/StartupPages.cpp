#include "desktop/StartupPages.h"

#include <QFile>
#include <QList>

#include <malloc.h>
#include <sys/mman.h>

namespace StartupPages {

namespace {

struct Mapping
{
    Range range;
    bool candidate = false; // from its header line
    bool clean = true;      // from its fields
    qint64 residentKb = 0;
};

// "7f..-7f.. r-xp 00000000 08:01 1234   /usr/lib/x.so"
bool parseHeader(const QByteArray& line, Mapping& m)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() < 5)
        return false;
    const QList<QByteArray> bounds = parts[0].split('-');
    if (bounds.size() != 2 || parts[1].size() != 4)
        return false;
    bool okStart = false;
    bool okEnd = false;
    m.range = {static_cast<uintptr_t>(bounds[0].toULongLong(&okStart, 16)),
               static_cast<uintptr_t>(bounds[1].toULongLong(&okEnd, 16))};
    if (!okStart || !okEnd || m.range.end <= m.range.start)
        return false;
    // Only the path has a slash: "[heap]", "[stack]" and anonymous mappings have none.
    const int slash = line.indexOf('/');
    const QByteArray path = slash >= 0 ? line.mid(slash).trimmed() : QByteArray();
    m.candidate = parts[1][1] != 'w' && parts[4] != "0" && !path.isEmpty() && !path.startsWith("/dev/")
        && !path.endsWith("(deleted)");
    return true;
}

bool isHeader(const QByteArray& line)
{
    const int dash = line.indexOf('-');
    const int space = line.indexOf(' ');
    return dash > 0 && space > dash && line.left(dash).toULongLong(nullptr, 16) != 0;
}

qint64 kilobytes(const QByteArray& line)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    return parts.size() >= 2 ? parts[1].toLongLong() : -1;
}

} // namespace

std::vector<Range> releasable(const QByteArray& smaps)
{
    std::vector<Range> out;
    Mapping current;
    bool open = false;
    auto finish = [&] {
        if (open && current.candidate && current.clean && current.residentKb > 0)
            out.push_back(current.range);
    };
    for (const QByteArray& line : smaps.split('\n')) {
        if (isHeader(line)) {
            finish();
            current = {};
            open = parseHeader(line, current);
            continue;
        }
        if (!open)
            continue;
        if (!line.contains(':')) {
            finish(); // not a field: what follows belongs to no mapping
            open = false;
        } else if (line.startsWith("Rss:")) {
            current.residentKb = kilobytes(line);
        } else if (line.startsWith("Anonymous:") || line.startsWith("Private_Dirty:")
                   || line.startsWith("Shared_Dirty:") || line.startsWith("Locked:")) {
            current.clean = current.clean && kilobytes(line) == 0; // copied, written or pinned
        } else if (line.startsWith("VmFlags:")) {
            // Device memory and locked pages are not the page cache's to give back.
            const QList<QByteArray> flags = line.mid(8).simplified().split(' ');
            for (const char* flag : {"io", "pf", "lo"})
                current.clean = current.clean && !flags.contains(flag);
        }
    }
    finish();
    return out;
}

qint64 release(const QString& smapsPath)
{
    QFile f(smapsPath);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    // Read whole before the first release changes it.
    const QByteArray smaps = f.readAll();
    qint64 released = 0;
    for (const Range& r : releasable(smaps)) {
        if (::madvise(reinterpret_cast<void*>(r.start), r.end - r.start, MADV_DONTNEED) == 0)
            released += static_cast<qint64>(r.end - r.start);
    }
    // So does the heap the start-up freed: by itself malloc gives back only the top of the
    // heap, never the free pages between blocks still in use.
    ::malloc_trim(0);
    return released;
}

} // namespace StartupPages
