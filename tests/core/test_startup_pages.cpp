#include "desktop/StartupPages.h"

#include "support/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

// One mapping as smaps lists it: header, then its fields.
QByteArray mapping(const char* header, qint64 rss, qint64 anonymous = 0, qint64 privateDirty = 0,
                   qint64 locked = 0, const char* flags = "rd ex mr mw me")
{
    return QByteArray(header) + "\nSize:                128 kB\nRss:" + QByteArray::number(rss).rightJustified(19)
        + " kB\nPss:                 64 kB\nShared_Clean:         64 kB\nShared_Dirty:          0 kB\n"
          "Private_Clean:         0 kB\nPrivate_Dirty:" + QByteArray::number(privateDirty).rightJustified(11)
        + " kB\nReferenced:           64 kB\nAnonymous:" + QByteArray::number(anonymous).rightJustified(15)
        + " kB\nSwap:                  0 kB\nLocked:" + QByteArray::number(locked).rightJustified(18)
        + " kB\nTHPeligible:    0\nVmFlags: " + flags + "\n";
}

TEST(StartupPages, OnlyUnchangedPagesOfRegularFilesAreGivenBack)
{
    struct Case
    {
        const char* what;
        QByteArray smaps;
        bool released;
    };
    const Case cases[] = {
        {"library code", mapping("7f0000001000-7f0000021000 r-xp 00001000 08:01 1234   /usr/lib/libQt6Gui.so.6", 64), true},
        {"shared read-only font", mapping("7f0000100000-7f0000180000 r--s 00000000 08:01 99 /usr/share/fonts/a b.ttf", 12), true},
        {"relocated, copied", mapping("7f0000021000-7f0000031000 r--p 00020000 08:01 1234 /usr/lib/x.so", 64, 64, 64), false},
        {"writable data", mapping("7f0000031000-7f0000032000 rw-p 00030000 08:01 1234 /usr/lib/x.so", 4, 4, 4), false},
        {"heap", mapping("55d000000000-55d000100000 rw-p 00000000 00:00 0   [heap]", 900, 900, 900), false},
        {"anonymous", mapping("7f0000200000-7f0000300000 r--p 00000000 00:00 0 ", 16), false},
        {"device", mapping("7f0000300000-7f0000400000 r--s 00000000 00:05 77 /dev/dri/card0", 16), false},
        {"deleted file", mapping("7f0000400000-7f0000500000 r--s 00000000 00:01 5 /memfd:x (deleted)", 16), false},
        {"locked", mapping("7f0000500000-7f0000600000 r-xp 00000000 08:01 8 /usr/lib/y.so", 16, 0, 0, 16), false},
        {"io mapping", mapping("7f0000600000-7f0000700000 r--s 00000000 08:01 9 /usr/lib/z.so", 16, 0, 0, 0, "rd io pf"), false},
        {"nothing resident", mapping("7f0000700000-7f0000800000 r-xp 00000000 08:01 10 /usr/lib/w.so", 0), false},
        {"garbage", QByteArray("not a mapping\nRss: 5 kB\n\x01\x02\n"), false},
    };
    QByteArray all;
    std::vector<StartupPages::Range> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<StartupPages::Range> ranges = StartupPages::releasable(c.smaps);
        EXPECT_EQ(ranges.size(), c.released ? 1u : 0u);
        all += c.smaps;
        expected.insert(expected.end(), ranges.begin(), ranges.end());
    }
    EXPECT_EQ(StartupPages::releasable(all), expected) << "each mapping judged by its own fields";
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(expected[0], (StartupPages::Range{0x7f0000001000u, 0x7f0000021000u}));
}

qint64 residentKb(const void* start)
{
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = QByteArray::number(reinterpret_cast<quintptr>(start), 16) + '-';
    bool inside = false;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.contains('-') && line.indexOf(' ') > line.indexOf('-') && !line.startsWith("VmFlags"))
            inside = line.startsWith(header);
        else if (inside && line.startsWith("Rss:"))
            return line.simplified().split(' ')[1].toLongLong();
    }
    return -1;
}

// In this very process: a file's pages go and read back the same; memory the
// process wrote, in a copy of a file's page or anonymous, stays as written.
TEST(StartupPages, GivenBackPagesReadBackTheSameAndWrittenOnesStay)
{
    TempHome home;
    QByteArray content(1 << 20, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 4096);
    home.write("pages.bin", content);
    const int fd = ::open(home.file("pages.bin").toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // Written back, so the page cache holds it clean, as it holds libraries.
    ASSERT_EQ(::fsync(fd), 0);
    const size_t size = static_cast<size_t>(content.size());
    auto* readOnly = static_cast<const char*>(::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
    auto* copied = static_cast<char*>(::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0));
    ::close(fd);
    ASSERT_NE(readOnly, MAP_FAILED);
    ASSERT_NE(copied, MAP_FAILED);
    long sum = 0;
    for (size_t i = 0; i < size; i += 4096)
        sum += readOnly[i];
    copied[100] = static_cast<char>(content[100] + 1);
    std::vector<char> anonymous(1 << 20, 'a');
    ASSERT_GT(residentKb(readOnly), 0) << sum;

    EXPECT_GT(StartupPages::release(), 0);
    EXPECT_EQ(residentKb(readOnly), 0);
    EXPECT_EQ(std::memcmp(readOnly, content.constData(), size), 0) << "read back from the file";
    EXPECT_EQ(copied[100], static_cast<char>(content[100] + 1));
    EXPECT_EQ(copied[101], content[101]);
    EXPECT_EQ(anonymous[12345], 'a');
    ::munmap(const_cast<char*>(readOnly), size);
    ::munmap(copied, size);
}

} // namespace
