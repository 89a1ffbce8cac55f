// The update service's pure text functions: version order, the address list
// and the download's file name.
#include "update/UpdateAddresses.h"
#include "update/UpdateVersion.h"

#include <QStringList>
#include <ostream>
#include <string>
#include <gtest/gtest.h>

namespace {

struct VersionCase
{
    const char* server;
    const char* installed;
    VersionOrder expected;
};

// Names each case by its texts (line breaks shown as \r \n), not by its bytes in memory.
void printText(const char* text, std::ostream* os)
{
    if (!*text)
        *os << "(empty)";
    for (const char* p = text; *p; ++p)
        *os << (*p == '\r' ? "\\r" : *p == '\n' ? "\\n" : std::string(1, *p));
}

void PrintTo(const VersionCase& c, std::ostream* os)
{
    printText(c.server, os);
    *os << " against ";
    printText(c.installed, os);
}

class VersionOrderTest : public ::testing::TestWithParam<VersionCase>
{
};

} // namespace

TEST_P(VersionOrderTest, ComparesComponentByComponent)
{
    const VersionCase& c = GetParam();
    EXPECT_EQ(compareVersions(QString::fromUtf8(c.server), QString::fromUtf8(c.installed)), c.expected)
        << c.server << " against " << c.installed;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionOrderTest,
    ::testing::Values(
        // Only the last component differs: as a plain comparison of that number.
        VersionCase{"2.0.0.57", "2.0.0.57", VersionOrder::SameText},
        VersionCase{"2.0.1.58", "2.0.0.57", VersionOrder::Newer},
        VersionCase{"2.0.0.58", "2.0.0.57", VersionOrder::Newer},
        VersionCase{"2.0.0.50", "2.0.0.57", VersionOrder::NotNewer},
        // Every component counts, as a number.
        VersionCase{"2.0.1.50", "2.0.0.57", VersionOrder::Newer},
        VersionCase{"2.1.0.3", "2.0.0.57", VersionOrder::Newer},
        VersionCase{"3.0.0.5", "2.0.0.57", VersionOrder::Newer},
        VersionCase{"1.9.9.99", "2.0.0.57", VersionOrder::NotNewer},
        VersionCase{"2.0.0.100", "2.0.0.99", VersionOrder::Newer},
        VersionCase{"2.10", "2.9", VersionOrder::Newer},
        // Numerically equal, written differently: not newer.
        VersionCase{"2.0.0.057", "2.0.0.57", VersionOrder::NotNewer},
        VersionCase{"1.0", "1.0.0", VersionOrder::NotNewer},
        VersionCase{"1.0.0.1", "1.0.0", VersionOrder::Newer},
        // Longer than any integer type.
        VersionCase{"1.123456789012345678901234567890", "1.123456789012345678901234567889", VersionOrder::Newer},
        // A line break after the text on the server does not make it another version.
        VersionCase{"1.0.0\r\n", "1.0.0", VersionOrder::SameText},
        VersionCase{"  2.0.0.58\n", "2.0.0.57", VersionOrder::Newer},
        // Nothing to compare.
        VersionCase{"", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"\n", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"<html>Not here</html>", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"2.0.0.57beta", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"2..0", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"2.0.", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"-2.0", "2.0.0.57", VersionOrder::Unreadable},
        VersionCase{"2.0 1", "2.0", VersionOrder::Unreadable},
        VersionCase{"2.0.0.58", "", VersionOrder::Unreadable}));

TEST(UpdateVersion, BinaryTextIsUnreadable)
{
    const QByteArray binary("\x00\x01\xff\xfe" "2.0\x00", 8);
    EXPECT_EQ(compareVersions(QString::fromUtf8(binary), u"2.0"), VersionOrder::Unreadable);
    EXPECT_EQ(compareVersions(QString(100000, QLatin1Char('9')), u"2.0"), VersionOrder::Newer)
        << "one long number is a version";
}

TEST(CommaText, SplitsLikeAListsCommaText)
{
    const struct
    {
        const char* text;
        QStringList expected;
    } cases[] = {
        {"http://a/setup.exe,http://b/", {"http://a/setup.exe", "http://b/"}},
        {"http://a/x.zip http://b/", {"http://a/x.zip", "http://b/"}},
        {"http://a/x.zip\r\nhttp://b/\r\n", {"http://a/x.zip", "http://b/"}},
        {"  first ,  second  ", {"first", "second"}},
        {"-,-", {"-", "-"}},
        {"\"http://a/my setup.exe\",\"b c\"", {"http://a/my setup.exe", "b c"}},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"\"a,b\" c", {"a,b", "c"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"\"unclosed, rest", {"unclosed, rest"}},
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {"a,", {"a", ""}},
        {"one", {"one"}},
        {"", {}},
        {" \n\t ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommaText(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(AddressList, NeedsTwoEntries)
{
    const UpdateAddresses two = parseAddressList(u"http://h/setup.exe,http://h/info");
    EXPECT_TRUE(two.ok());
    EXPECT_EQ(two.download, "http://h/setup.exe");
    EXPECT_EQ(two.second, "http://h/info");
    EXPECT_TRUE(two.offersDownload());

    const UpdateAddresses none = parseAddressList(u"-,-");
    EXPECT_TRUE(none.ok());
    EXPECT_FALSE(none.offersDownload());

    for (const char16_t* text : {u"http://h/setup.exe", u"", u"\"\""}) {
        const UpdateAddresses one = parseAddressList(text);
        EXPECT_FALSE(one.ok()) << QString::fromUtf16(text).toStdString();
        EXPECT_TRUE(one.error.contains(QStringLiteral("Listenindex")));
    }
}

TEST(DownloadFileName, TakesTheExtensionOfTheLastPathSegment)
{
    const struct
    {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://h/setup.exe", "netzpegel_patch.exe"},
        {"http://h/dl/netzpegel-2.1.zip", "netzpegel_patch.zip"},
        {"https://h/setup.exe?from=app#top", "netzpegel_patch.exe"},
        {"http://h/setup", "netzpegel_patch"},
        {"http://h.example/dir.v2/setup", "netzpegel_patch"},   // the dot is in a folder
        {"http://h.example/", "netzpegel_patch"},
        {"http://h/a.b\\c", "netzpegel_patch"},
        {"http://h/x.tar.gz", "netzpegel_patch.gz"},
        {"", "netzpegel_patch"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(downloadFileName(QString::fromUtf8(c.address)), QString::fromUtf8(c.name)) << c.address;
}
