#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "support/TempHome.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

class IniTest : public ::testing::Test
{
protected:
    TempHome home;
    QString ini() const { return home.file(QStringLiteral("netzpegel.ini")); }
};

// Restores the default locale a test pinned.
class LocaleGuard
{
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

} // namespace

TEST_F(IniTest, NamesMatchWithoutCaseAndBlanksAreTrimmed)
{
    home.write("netzpegel.ini", "  [ allgemein ]  \n"
                                "  SprachDateiName   =   english.lan   \n"
                                "\tBasisPrio\t=\t3\t\n");
    EXPECT_EQ(IniReadString("ALLGEMEIN", "sprachdateiname"), "english.lan");
    EXPECT_EQ(IniReadInteger("Allgemein", "basisprio", 0), 3);
    // The empty path is the settings file of the program folder.
    EXPECT_EQ(settingsFilePath(), ini());
}

TEST_F(IniTest, IntegerTextsAsTheProfileReaderTakesThem)
{
    const struct
    {
        QByteArray text;
        int expected;
    } cases[] = {
        {"42", 42},          {"-7", -7},          {"+5", 5},       {"0x1F", 31},       {"0X1f", 31},
        {"-0x10", -16},      {"0x7fffffff", 2147483647},           {"-2147483648", -2147483647 - 1},
        // not integers: the default (99) stands
        {"abc", 99},         {"12abc", 99},       {"", 99},        {"0x", 99},         {"0x-5", 99},
        {"0x 5", 99},        {"1.5", 99},         {"--1", 99},     {"2147483648", 99}, {"99999999999999999999", 99},
    };
    for (const auto& c : cases) {
        home.write("netzpegel.ini", "[Allgemein]\nwert=" + c.text + "\n");
        EXPECT_EQ(IniReadInteger("Allgemein", "wert", 99), c.expected) << c.text.constData();
    }
}

TEST_F(IniTest, BooleansAreIntegersAndAnyNonZeroIsTrue)
{
    const struct
    {
        QByteArray text;
        bool def;
        bool expected;
    } cases[] = {
        {"1", false, true}, {"0", true, false},  {"2", false, true},    {"-1", false, true},
        {"0x0", true, false}, {"ja", false, false}, {"ja", true, true}, {"", true, true},
    };
    for (const auto& c : cases) {
        home.write("netzpegel.ini", "[Fenster]\nVisible=" + c.text + "\n");
        EXPECT_EQ(IniReadBool("Fenster", "Visible", c.def), c.expected) << c.text.constData();
    }
    IniWriteBool("Fenster", "Visible", true);
    IniWriteBool("Fenster", "Sichtbar", false);
    EXPECT_EQ(home.read("netzpegel.ini"), "[Fenster]\nVisible=1\nSichtbar=0\n");
}

TEST_F(IniTest, MissingFileSectionOrKeyGivesTheDefault)
{
    ASSERT_FALSE(QFile::exists(ini()));
    EXPECT_EQ(IniReadString("Allgemein", "ProxyServer"), QString());
    EXPECT_EQ(IniReadInteger("Allgemein", "basisprio", 2), 2);
    EXPECT_TRUE(IniReadBool("Allgemein", "nic_engine", true));
    EXPECT_EQ(IniReadFloat("Allgemein", "Lastupdate", 1.25), 1.25);
    EXPECT_TRUE(IniReadBytes("Allgemein", "ProxyPassword").isEmpty());
    EXPECT_FALSE(QFile::exists(ini())) << "reading must not create the file";

    home.write("netzpegel.ini", "[Allgemein]\nbasisprio=4\n[Fenster]\n");
    EXPECT_EQ(IniReadInteger("Allgemein", "AutoUpdate", 3), 3);
    EXPECT_EQ(IniReadInteger("Fenster", "basisprio", 1), 1) << "a key belongs to its own section only";
    EXPECT_EQ(IniReadInteger("Berichte", "basisprio", 1), 1);
}

TEST_F(IniTest, FirstOfEqualKeysWinsAndIsTheOneWritten)
{
    home.write("netzpegel.ini", "[Allgemein]\nAutoUpdate=1\nautoupdate=2\n[allgemein]\nAutoUpdate=3\n");
    EXPECT_EQ(IniReadInteger("Allgemein", "AutoUpdate", 0), 1);
    IniWriteInteger("Allgemein", "AutoUpdate", 7);
    EXPECT_EQ(home.read("netzpegel.ini"), "[Allgemein]\nAutoUpdate=7\nautoupdate=2\n[allgemein]\nAutoUpdate=3\n");
}

TEST_F(IniTest, WritingOneKeyKeepsEveryOtherByte)
{
    // Comments, odd spacing, mixed line breaks, a byte order mark, UTF-8 text and
    // a last line without a break all have to come through untouched.
    const QByteArray before = "\xEF\xBB\xBF[Allgemein]\r\n"
                              "; Netzpegel\r\n"
                              "  Umrechnung = 1 ; kein Kommentar\r\n"
                              "ProxyServer=proxy.example\n"
                              "\r\n"
                              "; Fenster folgt\r\n"
                              "[Fenster]\r\n"
                              "Left=\t12\r\n"
                              "Pfad=/home/jörg/Berichte\r\n"
                              "Top=5";
    home.write("netzpegel.ini", before);
    EXPECT_EQ(IniReadInteger("Allgemein", "Umrechnung", 9), 9) << "the comment is part of the value";
    EXPECT_EQ(IniReadString("Allgemein", "ProxyServer"), "proxy.example")
        << "the byte order mark must not hide the first section";
    EXPECT_EQ(IniReadInteger("Fenster", "Left", 0), 12);

    IniWriteString("allgemein", "proxyserver", "anderer.example");
    QByteArray expected = before;
    expected.replace("ProxyServer=proxy.example\n", "ProxyServer=anderer.example\n");
    EXPECT_EQ(home.read("netzpegel.ini"), expected);

    // A new key goes after the last line of its section, before the blank separator.
    IniWriteInteger("Allgemein", "basisprio", 3);
    expected.replace("anderer.example\n", "anderer.example\nbasisprio=3\r\n");
    EXPECT_EQ(home.read("netzpegel.ini"), expected);

    // Changing the last line keeps its missing break; adding after it gives it one.
    IniWriteInteger("Fenster", "Top", 6);
    expected.replace("Top=5", "Top=6");
    EXPECT_EQ(home.read("netzpegel.ini"), expected);
    IniWriteBool("Fenster", "Visible", false);
    expected.replace("Top=6", "Top=6\r\nVisible=0");
    EXPECT_EQ(home.read("netzpegel.ini"), expected);

    IniWriteBool("Berichte", "Tagesbericht", true);
    expected.replace("Visible=0", "Visible=0\r\n\r\n[Berichte]\r\nTagesbericht=1\r\n");
    EXPECT_EQ(home.read("netzpegel.ini"), expected);
    EXPECT_EQ(IniReadString("Fenster", "Pfad"), QStringLiteral("/home/jörg/Berichte"));
}

TEST_F(IniTest, ValueThatWouldBreakTheLineIsRefusedAndTheFileKept)
{
    const QByteArray before = "[Allgemein]\nProxyServer=a\n";
    home.write("netzpegel.ini", before);
    for (const QString& bad : {QStringLiteral("x\n[Fenster]\nVisible=0"), QStringLiteral("x\ry"),
                               QString(QChar(0)) + 'x'}) {
        EXPECT_THROW(IniWriteString("Allgemein", "ProxyServer", bad), IniError);
        EXPECT_THROW(IniWriteBytes("Allgemein", "ProxyServer", bad.toUtf8()), IniError);
    }
    EXPECT_EQ(home.read("netzpegel.ini"), before);
}

TEST_F(IniTest, FileThatCannotBeReadOrWrittenThrows)
{
    // A folder where the file should be: unreadable and unwritable even for root.
    ASSERT_TRUE(QDir().mkpath(ini()));
    EXPECT_THROW(IniReadString("Allgemein", "ProxyServer"), IniError);
    EXPECT_THROW(IniReadInteger("Allgemein", "basisprio", 2), IniError);
    EXPECT_THROW(IniReadBool("Allgemein", "nic_engine", true), IniError);
    EXPECT_THROW(IniReadFloat("Allgemein", "Lastupdate", 0), IniError);
    EXPECT_THROW(IniReadBytes("Allgemein", "ProxyPassword"), IniError);
    EXPECT_THROW(IniWriteString("Allgemein", "ProxyServer", "x"), IniError);
    EXPECT_THROW(IniWriteInteger("Allgemein", "basisprio", 1), IniError);
    EXPECT_THROW(IniWriteBool("Allgemein", "nic_engine", true), IniError);
    EXPECT_THROW(IniWriteFloat("Allgemein", "Lastupdate", 1), IniError);
    EXPECT_THROW(IniWriteBytes("Allgemein", "ProxyPassword", "x"), IniError);
    EXPECT_TRUE(QFileInfo(ini()).isDir());
}

TEST_F(IniTest, FloatsUseTheLocaleDecimalSeparator)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    home.write("netzpegel.ini", "[Allgemein]\na=2,25\nb=2.25\nc=45.125\nd=abc\ne=-0,5\n");
    EXPECT_EQ(IniReadFloat("Allgemein", "a", 0), 2.25);
    EXPECT_EQ(IniReadFloat("Allgemein", "b", 7), 7) << "a point is no decimal separator here";
    EXPECT_EQ(IniReadFloat("Allgemein", "c", 7), 7) << "nor a thousands separator";
    EXPECT_EQ(IniReadFloat("Allgemein", "d", 7), 7);
    EXPECT_EQ(IniReadFloat("Allgemein", "e", 7), -0.5);

    IniWriteFloat("Allgemein", "Lastupdate", 45123.5);
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Lastupdate=45123,5\n"));
    // A date with a time of day comes back exactly, not to fifteen digits.
    const double stamp = 45123.0 + 1.0 / 3.0;
    IniWriteFloat("Allgemein", "Lastupdate", stamp);
    EXPECT_EQ(IniReadFloat("Allgemein", "Lastupdate", 0), stamp);
}

TEST_F(IniTest, StringsAreReadUpTo2047Characters)
{
    const QString longText(3000, QChar(u'ü'));
    IniWriteString("Berichte", "Pfad", longText);
    EXPECT_EQ(IniReadString("Berichte", "Pfad"), longText.left(2047));
}

TEST_F(IniTest, BytesPassUnchanged)
{
    QByteArray raw;
    for (int c = 0x80; c <= 0xFF; ++c)
        raw += static_cast<char>(c);
    raw = "a=b;[c]" + raw + "\x01\x7F";
    IniWriteBytes("Allgemein", "ProxyPassword", raw);
    EXPECT_EQ(IniReadBytes("Allgemein", "ProxyPassword"), raw);
    EXPECT_EQ(home.read("netzpegel.ini"), "[Allgemein]\nProxyPassword=" + raw + "\n");
}

TEST(IniDocumentTest, EmptyHeaderEndsTheSectionBefore)
{
    const IniDocument doc = IniDocument::parse("[Allgemein]\n[]\nbasisprio=3\n");
    EXPECT_FALSE(doc.value("Allgemein", "basisprio").has_value());
}
