// A whole report of a small database, line by line as it must read, for both
// conversion bases and two units; then the failures of a run.
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "fakes/FakeClock.h"
#include "reports/BerichtRun.h"
#include "reports/BerichtSink.h"
#include "storage/Database.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/XhtmlCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct RecordingSink : BerichtSink
{
    void log(const QString& line) override { lines << line; }
    void adapterProgress(int position, int maximum) override { adapter = {position, maximum}; }
    void overallProgress(int position, int maximum) override { overall = {position, maximum}; }
    QStringList lines;
    std::pair<int, int> adapter{-1, -1};
    std::pair<int, int> overall{-1, -1};
};

// Three adapters: lo not reported, eth0 with a December, a January of zeros,
// a February and a March; wlan0 without stored days.
const std::vector<StoredRow> kEth0Rows = {
    {"2025-12-30", 3042000000.0, 1000000000.0}, {"2025-12-31", 0.0, 0.0},
    {"2026-01-15", 0.0, 0.0},                   {"2026-01-20", 0.0, 0.0},
    {"2026-02-14", 6084000000.0, 2147483648.0}, {"2026-02-15", 1073741824.0, 0.0},
    {"2026-03-03", 1000.0, 24.0},
};

// The figures of one base and unit, worked out by hand.
struct Figures
{
    int base;
    int unitIndex;
    QString unit;
    std::vector<std::array<const char*, 2>> days;
    std::vector<std::array<const char*, 4>> months;
    std::vector<std::array<const char*, 4>> ownRanges;
    std::vector<std::array<const char*, 4>> years;
    std::array<const char*, 4> summary;
};

const Figures kMiB{1024, 2, "MiB",
    {{"2901,08", "953,67"}, {"0,00", "0,00"}, {"0,00", "0,00"}, {"0,00", "0,00"}, {"5802,15", "2048,00"},
     {"1024,00", "0,00"}, {"0,00", "0,00"}},
    {{"2901,08", "953,67", "95,37", "31,35"}, {"0,00", "0,00", "0,00", "0,00"}, {"6826,15", "2048,00", "224,40", "67,32"},
     {"0,00", "0,00", "0,00", "0,00"}},
    {{"0,00", "0,00", "0,00", "0,00"}, {"2901,08", "953,67", "95,37", "31,35"}, {"5802,15", "2048,00", "190,73", "67,32"},
     {"1024,00", "0,00", "33,66", "0,00"}},
    {{"2,83", "0,93", "0,24", "0,08"}, {"6,67", "2,00", "0,56", "0,17"}},
    {"9,50 GiB", "2,93 GiB", "1,36 GiB", "428,81 MiB"}};

const Figures kMB{1000, 2, "MB",
    {{"3042,00", "1000,00"}, {"0,00", "0,00"}, {"0,00", "0,00"}, {"0,00", "0,00"}, {"6084,00", "2147,48"},
     {"1073,74", "0,00"}, {"0,00", "0,00"}},
    {{"3042,00", "1000,00", "100,00", "32,87"}, {"0,00", "0,00", "0,00", "0,00"}, {"7157,74", "2147,48", "235,30", "70,59"},
     {"0,00", "0,00", "0,00", "0,00"}},
    {{"0,00", "0,00", "0,00", "0,00"}, {"3042,00", "1000,00", "100,00", "32,87"}, {"6084,00", "2147,48", "200,00", "70,59"},
     {"1073,74", "0,00", "35,30", "0,00"}},
    {{"3,04", "1,00", "0,25", "0,08"}, {"7,16", "2,15", "0,60", "0,18"}},
    {"10,20 GB", "3,15 GB", "1,46 GB", "449,64 MB"}};

const Figures kBytes1024{1024, 0, "Byte",
    {{"3042000000,00", "1000000000,00"}, {"0,00", "0,00"}, {"0,00", "0,00"}, {"0,00", "0,00"},
     {"6084000000,00", "2147483648,00"}, {"1073741824,00", "0,00"}, {"1000,00", "24,00"}},
    {{"3042000000,00", "1000000000,00", "100000000,00", "32873109,80"}, {"0,00", "0,00", "0,00", "0,00"},
     {"7157741824,00", "2147483648,00", "235297232,87", "70594465,75"}, {"1000,00", "24,00", "32,87", "0,79"}},
    {{"0,00", "0,00", "0,00", "0,00"}, {"3042000000,00", "1000000000,00", "100000000,00", "32873109,80"},
     {"6084000000,00", "2147483648,00", "200000000,00", "70594465,75"},
     {"1073742824,00", "24,00", "35297265,75", "0,79"}},
    {{"2,83", "0,93", "0,24", "0,08"}, {"6,67", "2,00", "0,56", "0,17"}},
    {"9,50 GiB", "2,93 GiB", "1,36 GiB", "428,81 MiB"}};

const Figures kBytes1000{1000, 0, "Byte", kBytes1024.days, kBytes1024.months, kBytes1024.ownRanges,
    {{"3,04", "1,00", "0,25", "0,08"}, {"7,16", "2,15", "0,60", "0,18"}},
    {"10,20 GB", "3,15 GB", "1,46 GB", "449,64 MB"}};

QString row(const QString& first, std::initializer_list<const char*> cells)
{
    QString line = QStringLiteral("<tr align=\"right\"><td>") + first + QStringLiteral("</td>");
    for (const char* c : cells)
        line += QStringLiteral("<td>") + QString::fromUtf8(c) + QStringLiteral("</td>");
    return line + QStringLiteral("</tr>");
}

QStringList dayTable(const QString& unit)
{
    return {"<h2 class=\"tagesstatistik\">Tagesstatistik</h2>", "<p>", "in " + unit + "</p>",
            "<table class=\"tagesstatistiktabelle\" border=\"3\" frame=\"void\" width=\"100%\">",
            "<tr><td><b>Datum</b></td><td><b>&#8721;Download</b></td><td><b>&#8721;Upload</b></td></tr>"};
}

QStringList periodHead(const QString& cls, const QString& heading, const QString& unit, const QString& average,
                       const QString& first)
{
    return {"<h2 class=\"" + cls + "\">" + heading + "</h2>", "<p>", "in " + unit + "<br />",
            "&#216;: " + average + "</p>",
            "<table class=\"" + cls + "tabelle\" border=\"3\" frame=\"void\" width=\"100%\">",
            "<tr><td align=\"right\"><b> " + first
                + "</b></td><td><b>&#8721; Download</b></td><td><b>&#8721; Upload</b></td><td><b>&#216; Download"
                  "</b></td><td><b>&#216; Upload</b></td></tr>"};
}

QStringList summary(const std::array<const char*, 4>& s)
{
    return {"<h2 class=\"zusammenfassung\">Zusammenfassung</h2>",
            "<table  class=\"zusammenfassungtabelle\" border=\"3\" frame=\"void\" width=\"100%\">",
            QStringLiteral("<tr><td rowspan=\"3\">Gesamtverkehr</td></tr><tr><td>Download:</td><td>%1</td></tr><tr><td>"
                           "Upload:</td><td>%2</td></tr>")
                .arg(s[0], s[1]),
            QStringLiteral("<tr><td rowspan=\"5\">Durchschnitt pro Tag :</td></tr><tr><td>Download:</td><td>%1</td>"
                           "</tr><tr><td>Upload:</td><td>%2</td></tr>")
                .arg(s[2], s[3]),
            "</table>"};
}

QStringList expectedDocument(const Figures& f)
{
    QStringList l{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                  "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
                  "<html xmlns=\"http://www.w3.org/1999/xhtml\">", "<head>",
                  "<title>Netzpegel – Verkehrsbericht</title>",
                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
                  "<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\" />", "</head>", "<body>",
                  "<h1>eth0(00000002) </h1>"};
    l << dayTable(f.unit);
    const char* dates[] = {"30.12.2025", "31.12.2025", "15.01.2026", "20.01.2026", "14.02.2026", "15.02.2026", "03.03.2026"};
    for (size_t i = 0; i < f.days.size(); ++i)
        l << row(dates[i], {f.days[i][0], f.days[i][1]});
    l << "</table>";
    l << periodHead("monatsstatistik", "Monatsstatistik", f.unit, "Tagesdurchschnitt", "Monat ");
    const char* months[] = {"12/2025", "01/2026", "02/2026", "03/2026"};
    for (size_t i = 0; i < 4; ++i)
        l << row(months[i], {f.months[i][0], f.months[i][1], f.months[i][2], f.months[i][3]});
    l << "</table>";
    l << periodHead("eigenestatistik", "Eigene Zeiträume", f.unit, "Tagesdurchschnitt", "Zeitraum ");
    const char* ranges[] = {"15.11.2025 - 14.12.2025", "15.12.2025 - 14.01.2026", "15.01.2026 - 14.02.2026",
                            "15.02.2026 - 14.03.2026"};
    for (size_t i = 0; i < 4; ++i)
        l << row(ranges[i], {f.ownRanges[i][0], f.ownRanges[i][1], f.ownRanges[i][2], f.ownRanges[i][3]});
    l << "</table>";
    l << periodHead("jahresstatistik", "Jahresstatistik", "Gbyte", "Monatsdurchschnitt", "Jahr");
    l << row("2025", {f.years[0][0], f.years[0][1], f.years[0][2], f.years[0][3]});
    l << row("2026", {f.years[1][0], f.years[1][1], f.years[1][2], f.years[1][3]});
    l << "</table>";
    l << summary(f.summary);
    // An adapter without stored days: its heading, an empty day table and zeros.
    l << "<h1>wlan0(00000003) </h1>";
    l << dayTable(f.unit) << "</table>";
    l << summary({"0,00 Byte", "0,00 Byte", "0,00 Byte", "0,00 Byte"});
    l << "<p>" << "Bericht erstellt am Dienstag, 8. Dezember 2026 um 12:00:00" << "</p>" << "</body>" << "</html>";
    return l;
}

class BerichtDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        layDownShippedFiles(home.folder());
        sprache.Laden(QStringLiteral("deutsch.lan"));
        ASSERT_TRUE(storeTrafficRows(dbPath(), "00000001", {{"2026-01-01", 5.0, 5.0}}, false));
        ASSERT_TRUE(storeTrafficRows(dbPath(), "00000002", kEth0Rows));
        ASSERT_TRUE(storeTrafficRows(dbPath(), "00000003", {}));
        options.eigenerbericht = true;
        options.fromDay = 15;
        options.toDay = 14;
        options.path = home.file("bericht.htm");
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString dbPath() const { return home.file("Datenbank.mdb"); }

    bool run()
    {
        Database db(dbPath());
        return runBericht(db, adapters, options, sprache, clock, sink);
    }

    QStringList fileLines() const
    {
        QByteArray bytes = home.read("bericht.htm");
        EXPECT_TRUE(bytes.endsWith("</html>\r\n"));
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";
        bytes.chop(2);
        QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
        for (const QString& line : lines)
            EXPECT_FALSE(line.contains(QLatin1Char('\n'))) << "every line ends in CR LF";
        return lines;
    }

    TempHome home;
    TSprache sprache;
    FakeClock clock; // Tuesday, 8 December 2026, 12:00
    RecordingSink sink;
    std::vector<BerichtAdapter> adapters{{"lo", "00000001", false}, {"eth0", "00000002", true}, {"wlan0", "00000003", true}};
    BerichtOptions options;
};

TEST_F(BerichtDocumentTest, EveryLineAsPrescribedForBothBasesAndTwoUnits)
{
    for (const Figures* f : {&kMiB, &kMB, &kBytes1024, &kBytes1000}) {
        SCOPED_TRACE(QStringLiteral("base %1, unit %2").arg(f->base).arg(f->unit).toStdString());
        options.base = f->base;
        options.unitIndex = f->unitIndex;
        options.unitText = f->unit;
        sink = RecordingSink();
        ASSERT_TRUE(run()) << sink.lines.join('\n').toStdString();
        const QStringList expected = expectedDocument(*f);
        const QStringList actual = fileLines();
        for (qsizetype i = 0; i < std::max(expected.size(), actual.size()); ++i)
            EXPECT_EQ(actual.value(i), expected.value(i)) << "line " << i + 1;
        EXPECT_EQ(xhtmlProblems(options.path), QString());
    }
    EXPECT_EQ(sink.lines, QStringList({"08.12.2026 Erstelle Bericht für eth0(00000002)...",
                                       "08.12.2026 Erstelle Bericht für wlan0(00000003)...",
                                       "08.12.2026 Bericht gespeichert (" + options.path + ")"}));
    EXPECT_EQ(sink.overall.first, sink.overall.second) << "the overall bar ends full";
}

TEST_F(BerichtDocumentTest, WithoutReportedAdaptersOnlyHeadAndClosing)
{
    for (BerichtAdapter& a : adapters)
        a.bericht = false;
    ASSERT_TRUE(run());
    const QStringList lines = fileLines();
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[8], "<body>");
    EXPECT_EQ(lines[9], "<p>");
    EXPECT_EQ(lines.last(), "</html>");
    EXPECT_EQ(xhtmlProblems(options.path), QString());
}

TEST_F(BerichtDocumentTest, WithEveryTableOffEachAdapterKeepsHeadingAndSummary)
{
    options.tagesbericht = options.monatsbericht = options.eigenerbericht = options.jahresbericht = false;
    ASSERT_TRUE(run());
    const QStringList lines = fileLines();
    EXPECT_EQ(lines[9], "<h1>eth0(00000002) </h1>");
    EXPECT_EQ(lines[10], "<h2 class=\"zusammenfassung\">Zusammenfassung</h2>");
    EXPECT_EQ(lines[15], "<h1>wlan0(00000003) </h1>");
    EXPECT_EQ(lines[16], "<h2 class=\"zusammenfassung\">Zusammenfassung</h2>");
    EXPECT_EQ(lines.size(), 9 + 2 * 6 + 5);
}

TEST_F(BerichtDocumentTest, NamesAndTextsAreEscapedSoTheReportStaysValid)
{
    adapters[1].name = QStringLiteral("a<b>&c");
    home.write("deutsch.lan", home.read("deutsch.lan").replace("StrTitle=Netzpegel", "StrTitle=Netz & <Pegel>"));
    sprache.Laden(QStringLiteral("deutsch.lan"));
    ASSERT_TRUE(run());
    const QStringList lines = fileLines();
    EXPECT_EQ(lines[4], "<title>Netz &amp; &lt;Pegel&gt; – Verkehrsbericht</title>");
    EXPECT_EQ(lines[9], "<h1>a&lt;b&gt;&amp;c(00000002) </h1>");
    EXPECT_EQ(xhtmlProblems(options.path), QString());

    // Interface names are bytes: U+FFFF and U+FFFE decode from them, and XML allows neither.
    // A lone surrogate goes too; a pair (an emoji) stays.
    adapters[1].name = QStringLiteral("eth") + QChar(0xFFFF) + QChar(0xFFFE) + QStringLiteral("\r\n0") + QChar(0xD800)
        + QString::fromUtf8("\xF0\x9F\x98\x80");
    ASSERT_TRUE(run());
    EXPECT_EQ(fileLines()[9], QString::fromUtf8("<h1>eth0\xF0\x9F\x98\x80(00000002) </h1>"));
    EXPECT_EQ(xhtmlProblems(options.path), QString());
}

TEST_F(BerichtDocumentTest, DecimalSeparatorIsTheUsersEverywhere)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    options.unitIndex = 2;
    options.unitText = QStringLiteral("MiB");
    ASSERT_TRUE(run());
    const QStringList lines = fileLines();
    EXPECT_EQ(lines[15], "<tr align=\"right\"><td>12/30/2025</td><td>2901.08</td><td>953.67</td></tr>");
    // The zero month and the zero own-range period: no comma anywhere.
    EXPECT_TRUE(lines.contains("<tr align=\"right\"><td>01/2026</td><td>0.00</td><td>0.00</td><td>0.00</td><td>0.00</td></tr>"));
    EXPECT_TRUE(lines.contains(
        "<tr align=\"right\"><td>11/15/2025 - 12/14/2025</td><td>0.00</td><td>0.00</td><td>0.00</td><td>0.00</td></tr>"));
}

// Every failure leaves the report that was there, logs one line and writes no style sheet over anything.
TEST_F(BerichtDocumentTest, FailuresEndTheRunAndKeepTheEarlierReport)
{
    home.write("bericht.htm", "earlier report");
    struct Case
    {
        const char* what;
        std::function<void()> arrange;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"a value that is no number",
         [&] { storeTrafficRows(dbPath(), "00000003", {{"2026-05-01", QStringLiteral("12abc"), 5.0}}); },
         "enthält „12abc“ als received vom 2026-05-01; das ist keine Zahl."},
        {"a missing table", [&] { adapters[2].index = QStringLiteral("0000000f"); }, "0000000f"},
        {"a date that is no date", [&] { storeTrafficRows(dbPath(), "00000003", {{"01.05.2026", 1.0, 5.0}}); },
         "enthält eine Zeile, deren Datum „01.05.2026“ kein Tag ist."},
        {"an empty path", [&] { options.path.clear(); }, "Für den Bericht ist kein Dateiname angegeben."},
        {"a folder that does not exist", [&] { options.path = home.file("missing/bericht.htm"); },
         "konnte nicht geschrieben werden"},
        {"a path that is a folder", [&] { options.path = home.folder(); }, "Sie ist ein Ordner."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const BerichtOptions keptOptions = options;
        const auto keptAdapters = adapters;
        // Each case starts again from a clean third adapter.
        Database(dbPath()).exec(QStringLiteral("DELETE FROM \"00000003\""));
        sink = RecordingSink();
        c.arrange();
        EXPECT_FALSE(run());
        ASSERT_FALSE(sink.lines.isEmpty());
        EXPECT_TRUE(sink.lines.last().contains(QString::fromUtf8(c.logged))) << sink.lines.last().toStdString();
        EXPECT_EQ(home.read("bericht.htm"), "earlier report");
        EXPECT_NE(sink.overall.first, sink.overall.second) << "the overall bar is left where it was";
        options = keptOptions;
        adapters = keptAdapters;
    }
}

TEST_F(BerichtDocumentTest, ALockedDatabaseEndsTheRunAfterTheWaitAndKeepsTheEarlierReport)
{
    home.write("bericht.htm", "earlier report");
    // Another program holds the file's write lock (without the write-ahead log readers wait for it).
    Database locker(dbPath());
    locker.query(QStringLiteral("PRAGMA journal_mode=DELETE"));
    locker.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    Database::Options reading = Database::readOnlyOptions();
    reading.busyTimeoutMs = 100;
    Database db(dbPath(), reading);
    EXPECT_FALSE(runBericht(db, adapters, options, sprache, clock, sink));
    ASSERT_FALSE(sink.lines.isEmpty());
    EXPECT_TRUE(sink.lines.last().contains("locked")) << sink.lines.last().toStdString();
    EXPECT_EQ(home.read("bericht.htm"), "earlier report");
}

TEST_F(BerichtDocumentTest, AReportNeverReplacesTheDatabaseItReads)
{
    const QByteArray before = home.read("Datenbank.mdb");
    ASSERT_TRUE(QDir(home.folder()).mkdir("sub"));
    for (const QString& path : {dbPath(), home.folder() + "sub/../Datenbank.mdb", dbPath() + "-wal",
                                dbPath() + "-journal"}) {
        SCOPED_TRACE(path.toStdString());
        sink = RecordingSink();
        options.path = path;
        Database db(dbPath(), Database::readOnlyOptions()); // as the window and the command line read it
        EXPECT_FALSE(runBericht(db, adapters, options, sprache, clock, sink));
        ASSERT_FALSE(sink.lines.isEmpty());
        EXPECT_TRUE(sink.lines.last().endsWith("Sie ist die Verkehrsdatenbank, aus der der Bericht liest."))
            << sink.lines.last().toStdString();
    }
    EXPECT_EQ(home.read("Datenbank.mdb"), before);
    EXPECT_FALSE(QFileInfo::exists(dbPath() + "-journal"));
}

TEST_F(BerichtDocumentTest, StyleSheetIsLaidDownBesideTheReportButNeverReplaced)
{
    ASSERT_TRUE(run());
    const QByteArray shipped = home.read("style.css");
    EXPECT_FALSE(shipped.isEmpty());
    home.write("style.css", "body { color: red; }");
    ASSERT_TRUE(run());
    EXPECT_EQ(home.read("style.css"), "body { color: red; }");
}

TEST_F(BerichtDocumentTest, AStopEndsTheRunWithoutFileOrLogLine)
{
    struct StoppingSink : RecordingSink
    {
        bool stopRequested() const override { return true; }
    } stopping;
    Database db(dbPath());
    EXPECT_FALSE(runBericht(db, adapters, options, sprache, clock, stopping));
    EXPECT_FALSE(QFileInfo::exists(options.path));
    EXPECT_EQ(stopping.lines.size(), 1) << "only the first adapter's start";
}

} // namespace
