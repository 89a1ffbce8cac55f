// Table exchange files as bytes: line endings, refused files, unreadable days,
// exact values and the export file name.
#include "storage/TabFile.h"
#include "storage/TableMaintenance.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const TabDay& d)
{
    return os << d.day.toString(Qt::ISODate).toStdString() << " " << d.received << "/" << d.send;
}

namespace {

const QList<TabDay> kTwoDays{{QDate(2026, 12, 8), 4096, 512}, {QDate(2027, 1, 3), 0, 9007199254740992.0}};

TEST(TabFile, EveryLineEndReadsTheSameDays)
{
    const struct
    {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"CR LF", "12/08/2026\r\n4096\r\n512\r\n01/03/2027\r\n0\r\n9007199254740992\r\n"},
        {"LF", "12/08/2026\n4096\n512\n01/03/2027\n0\n9007199254740992\n"},
        {"CR", "12/08/2026\r4096\r512\r01/03/2027\r0\r9007199254740992\r"},
        {"mixed, no end on the last line", "12/08/2026\r\n4096\n512\r01/03/2027\r\n0\n9007199254740992"},
        {"byte order mark, blanks around values", "\xEF\xBB\xBF" "12/08/2026 \r\n 4096\r\n512\t\r\n01/03/2027\r\n0\r\n9007199254740992\r\n"},
    };
    for (const auto& c : cases) {
        const TabFileContent content = parseTabFile(c.bytes);
        EXPECT_TRUE(content.ok) << c.what << ": " << content.error.toStdString();
        EXPECT_EQ(content.days, kTwoDays) << c.what;
        EXPECT_TRUE(content.skipped.isEmpty()) << c.what;
    }
}

TEST(TabFile, WrittenFileReadsBackExactly)
{
    const QByteArray bytes = formatTabFile(kTwoDays);
    EXPECT_EQ(bytes, QByteArray("12/08/2026\r\n4096\r\n512\r\n01/03/2027\r\n0\r\n9007199254740992\r\n"));
    EXPECT_EQ(parseTabFile(bytes).days, kTwoDays);
    EXPECT_EQ(formatTabFile({{QDate(999, 2, 1), 1, 2}}), QByteArray("02/01/0999\r\n1\r\n2\r\n"));
    EXPECT_EQ(parseTabFile("").days.size(), 0);
    EXPECT_TRUE(parseTabFile("").ok) << "an empty file is an empty table";
}

TEST(TabFile, ByteCountsAreWrittenToTheLastDigit)
{
    EXPECT_EQ(byteCountText(0), "0");
    EXPECT_EQ(byteCountText(1e15 + 1), "1000000000000001");
    EXPECT_EQ(byteCountText(9007199254740991.0), "9007199254740991");
    EXPECT_EQ(byteCountText(9007199254740992.0), "9007199254740992");
    EXPECT_EQ(byteCountText(1e18), "1000000000000000000");
    EXPECT_EQ(byteCountText(0.5), "0.5");
}

TEST(TabFile, AFileThatIsNotThreeLinesPerDayOrHoldsANulByteIsRefusedWhole)
{
    const struct
    {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"3n+1 lines", "12/08/2026\r\n1\r\n2\r\n12/09/2026\r\n"},
        {"3n+2 lines", "12/08/2026\r\n1\r\n2\r\n12/09/2026\r\n3\r\n"},
        {"an empty line at the end", "12/08/2026\r\n1\r\n2\r\n\r\n"},
        {"NUL byte", QByteArray("12/08/2026\r\n1\0\r\n2\r\n", 17)},
    };
    for (const auto& c : cases) {
        const TabFileContent content = parseTabFile(c.bytes);
        EXPECT_FALSE(content.ok) << c.what;
        EXPECT_FALSE(content.error.isEmpty()) << c.what;
        EXPECT_TRUE(content.days.isEmpty()) << c.what;
    }
}

TEST(TabFile, ADayWithAValueThatIsNoByteCountIsSkippedAndTheOthersRead)
{
    using C = TabSkippedDay::Cause;
    const TabDay before{QDate(2026, 12, 7), 7, 8};
    const TabDay after{QDate(2026, 12, 10), 9, 10};
    const struct
    {
        const char* what;
        QByteArray day;
        TabSkippedDay skipped;
    } cases[] = {
        {"garbage value", "12/09/2026\r\nlots\r\n2\r\n", {5, "lots", C::ByteCount}},
        {"negative value", "12/08/2026\r\n-1\r\n2\r\n", {5, "-1", C::ByteCount}},
        {"empty value", "12/08/2026\r\n\r\n2\r\n", {5, "", C::ByteCount}},
        {"infinite value", "12/08/2026\r\n1e999\r\n2\r\n", {5, "1e999", C::ByteCount}},
        {"two numbers on a line", "12/08/2026\r\n1 2\r\n2\r\n", {5, "1 2", C::ByteCount}},
        {"garbage sent value", "12/08/2026\r\n1\r\nzwei\r\n", {6, "zwei", C::ByteCount}},
        {"a date line and values swapped", "4096\r\n12/08/2026\r\n512\r\n", {4, "4096", C::Date}},
        {"binary without NUL", "\x89PNG\r\n\x1a\n\xff\xfe\r\n", {4, "\x89PNG", C::Date}},
    };
    for (const auto& c : cases) {
        const TabFileContent content = parseTabFile("12/07/2026\r\n7\r\n8\r\n" + c.day + "12/10/2026\r\n9\r\n10\r\n");
        ASSERT_TRUE(content.ok) << c.what << ": " << content.error.toStdString();
        EXPECT_EQ(content.days, (QList<TabDay>{before, after})) << c.what;
        ASSERT_EQ(content.skipped.size(), 1) << c.what;
        EXPECT_EQ(content.skipped.first(), c.skipped) << c.what << ": line " << content.skipped.first().line;
        EXPECT_EQ(content.skippedDays, 1) << c.what;
    }
}

TEST(TabFile, ADayWhoseDateLineIsNoDateIsSkippedAndListed)
{
    const QByteArray bytes("12/08/2026\r\n1\r\n2\r\n"
                           "13/01/2026\r\n3\r\n4\r\n"    // day and month swapped
                           "02/30/2026\r\n5\r\n6\r\n"    // no such day
                           "1/5/2026\r\n7\r\n8\r\n"      // not two digits each
                           "yesterday\r\n9\r\n10\r\n"
                           "12/09/2026\r\n11\r\n12\r\n");
    const TabFileContent content = parseTabFile(bytes);
    ASSERT_TRUE(content.ok) << content.error.toStdString();
    EXPECT_EQ(content.days, (QList<TabDay>{{QDate(2026, 12, 8), 1, 2}, {QDate(2026, 12, 9), 11, 12}}));
    EXPECT_EQ(content.skipped, (QList<TabSkippedDay>{{4, "13/01/2026"}, {7, "02/30/2026"}, {10, "1/5/2026"},
                                                      {13, "yesterday"}}));
    EXPECT_EQ(content.skippedDays, 4);
}

// AddressSanitizer keeps freed blocks in quarantine and adds shadow memory,
// so a resident size says nothing about the parser there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentSizeMeansSomething = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentSizeMeansSomething = false;
#else
constexpr bool kResidentSizeMeansSomething = true;
#endif
#else
constexpr bool kResidentSizeMeansSomething = true;
#endif

// The highest resident size this process has had so far, in MiB.
long peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(TabFile, TheLargestFileAnImportTakesIsReadWithoutHoldingEveryLine)
{
    // The shortest lines give the most of them: an object per line or per
    // skipped day would take gigabytes for a file of 64 MB.
    const struct
    {
        const char* what;
        QByteArray piece;
        bool ok;
    } cases[] = {
        {"line breaks only", "\n", false},
        {"days whose date line is no date", "x\n0\n0\n", true},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = c.piece.repeated(kMaxTabFileBytes / c.piece.size());
        const long before = peakMiB();
        const TabFileContent content = parseTabFile(bytes);
        EXPECT_EQ(content.ok, c.ok) << c.what;
        if (kResidentSizeMeansSomething)
            EXPECT_LT(peakMiB() - before, 64) << c.what;
        if (c.ok) {
            EXPECT_EQ(content.skippedDays, bytes.size() / c.piece.size()) << "every skipped day is counted";
            EXPECT_EQ(content.skipped.size(), kLoggedSkippedDays) << "the first ones are listed";
            EXPECT_EQ(content.skipped.first(), (TabSkippedDay{1, "x"}));
        }
    }
}

TEST(TabFile, ValuesWrittenWithADecimalCommaOrAnExponentAreRead)
{
    const TabFileContent content = parseTabFile("12/08/2026\r\n1,5E15\r\n2.5e3\r\n");
    ASSERT_TRUE(content.ok) << content.error.toStdString();
    EXPECT_EQ(content.days, (QList<TabDay>{{QDate(2026, 12, 8), 1.5e15, 2500}}));
}

TEST(TabFile, ExportNameGetsTheTableBeforeTheFinalExtension)
{
    const struct
    {
        const char* chosen;
        const char* table;
        const char* expected;
    } cases[] = {
        {"/home/u/export.tab", "0000000b", "/home/u/export_0000000b.tab"},
        {"/home/u/export", "0000000b", "/home/u/export_0000000b"},
        {"/home/u.v/export", "dfu", "/home/u.v/export_dfu"},
        {"/home/u/backup.2026.tab", "dfu", "/home/u/backup.2026_dfu.tab"},
        {"/home/u/x.tab", "../../etc/passwd", "/home/u/x_.._.._etc_passwd.tab"},
        {"/home/u/x.tab", "a \"b\"; DROP TABLE db", "/home/u/x_a \"b\"; DROP TABLE db.tab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exportFileName(QString::fromUtf8(c.chosen), QString::fromUtf8(c.table)), QString::fromUtf8(c.expected));
}

} // namespace
