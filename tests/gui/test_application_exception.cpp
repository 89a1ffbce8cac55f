// A failure escaping a timer handler while the program's application runs
// reaches the main window's fatal-error path; one that no main window can take
// up is logged and shown by the application and ends it with code 1.
#include "BuildVersion.h"
#include "acquisition/TNic.h"
#include "app/NetzpegelApplication.h"
#include "app/TMainform.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "base/ExceptionLog.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "fakes/RecordingMessageSink.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"
#include "support/TestDatabase.h"

#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr uint64_t kUp = 100000;
constexpr int kWatchdogExit = 77;
const char* const kFailure = "Zähler bei 100% übergelaufen";

struct EntryState
{
    QString name;
    QString index;
    QString mac;
    long double send;
    long double received;
};

QString number(long double value)
{
    return QString::number(static_cast<double>(value), 'g', 15);
}

// Runs the application until a timer's handler throws; the exit code, which is
// kWatchdogExit when nothing ended it. `sender` receives the failing sender's class.
int failInATimer(NetzpegelApplication* app, TMainform& form, QString& sender)
{
    app->setExceptionHandler([&](const QString& senderClass, const std::exception* e) {
        sender = senderClass;
        form.ApplicationException(senderClass, e);
    });
    QTimer faulty;
    faulty.setSingleShot(true);
    QObject::connect(&faulty, &QTimer::timeout, [] { throw std::runtime_error(kFailure); });
    faulty.start(0);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kWatchdogExit); });
    watchdog.start(10000);
    // The handler ends the application with code 1; that ends this loop.
    const int exitCode = QCoreApplication::exec();
    watchdog.stop();
    app->setExceptionHandler({});
    return exitCode;
}

TEST(ApplicationException, FailureInATimerIsLoggedBookedToldAndEndsTheApplication)
{
    auto* app = qobject_cast<NetzpegelApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    TempHome home;
    home.write("boot_id", "test-boot\n");
    FakeInterfaceTable table;
    table.setRows({FakeInterfaceTable::row(1, "lo", kUp, kUp, 24), FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6)});
    FakeDialupSource dialup;
    FakeClock clock;
    RecordingMessageSink messages;
    MainformServices services;
    services.interfaceTable = &table;
    services.dialupSource = &dialup;
    services.clock = &clock;
    services.messages = &messages;
    services.bootIdPath = home.file("boot_id");

    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    // The first tick is cut to maxspeed; the second counts.
    table.addOctets(2, 1000, 500);
    form.NicEngineTimer();
    table.addOctets(2, 4000, 1500);
    form.NicEngineTimer();
    form.CacheToHDDTimerTimer();
    const QString cache = form.cachePath();
    ASSERT_TRUE(QFileInfo(cache).isFile());
    std::vector<EntryState> before;
    for (const TNic* nic : form.entries())
        before.push_back({nic->Name, nic->Index, nic->Mac, nic->get_gesamt_send(), nic->get_gesamt_received()});
    ASSERT_EQ(before.size(), 3u);
    ASSERT_GT(before[1].send, 0);
    ASSERT_GT(before[1].received, 0);

    QString sender;
    const int exitCode = failInATimer(app, form, sender);
    ASSERT_EQ(exitCode, 1) << "the handler was not reached, or did not end the application";
    EXPECT_EQ(sender, "QTimer");
    for (QTimer* t : {form.NicEngine, form.DfuEngine, form.Datumsprueftimer, form.CacheToHDDTimer, form.AutoBerichtTimer})
        EXPECT_FALSE(t->isActive()) << qPrintable(t->objectName());
    EXPECT_FALSE(QFileInfo::exists(cache)) << "everything was booked: no cache left";
    EXPECT_TRUE(form.entries().empty()) << "entries released";

    // The day's totals are in today's rows.
    for (const EntryState& e : before) {
        SCOPED_TRACE(qPrintable(e.index));
        const DayTraffic row = trafficRows(home.file("Datenbank.mdb"), e.index)[clock.today().toString(Qt::ISODate)];
        EXPECT_EQ(row.rows, 1);
        EXPECT_EQ(row.send, static_cast<double>(e.send));
        EXPECT_EQ(row.received, static_cast<double>(e.received));
    }

    // The long block: what failed, where, and every entry's state.
    const QStringList log = QString::fromUtf8(home.read("error.txt")).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const qsizetype separator = log.indexOf(QString(64, QLatin1Char('#')));
    ASSERT_GE(separator, 1) << qPrintable(log.join('\n'));
    EXPECT_EQ(log[separator - 1], " ");
    EXPECT_TRUE(log.contains(QStringLiteral("Fehlermeldung:") + QString::fromUtf8(kFailure))) << "logged literally";
    EXPECT_TRUE(log.contains(QStringLiteral("E->ClassName():std::runtime_error")));
    EXPECT_TRUE(log.contains(QStringLiteral("Sender->ClassName():QTimer")));
    const qsizetype size = log.indexOf(QStringLiteral("(int)v.size:3"));
    ASSERT_GT(size, separator) << qPrintable(log.join('\n'));
    EXPECT_EQ(log.value(size + 1), "(int)g.size:3");
    EXPECT_EQ(log.value(size + 2), " ");
    const QStringList labels = {"Name", "Index", "Mac", "get_alte_werte(send)", "get_alte_werte(received)",
                                "get_gesamt_send()", "get_gesamt_received()", "get_wert_send()",
                                "get_wert_received()", "get_rate_send()", "get_rate_received()"};
    qsizetype line = size + 3;
    for (size_t i = 0; i < before.size(); ++i) {
        const QString p = QStringLiteral("v[%1]->").arg(i);
        for (const QString& label : labels)
            EXPECT_TRUE(log.value(line++).startsWith(p + label + QLatin1Char(':'))) << qPrintable(log.value(line - 1));
        EXPECT_EQ(log.value(line++), " ");
        const qsizetype first = size + 3 + static_cast<qsizetype>(i) * 12;
        EXPECT_EQ(log.value(first), p + "Name:" + before[i].name);
        EXPECT_EQ(log.value(first + 1), p + "Index:" + before[i].index);
        EXPECT_EQ(log.value(first + 2), p + "Mac:" + before[i].mac);
        EXPECT_EQ(log.value(first + 5), p + "get_gesamt_send():" + number(before[i].send));
        EXPECT_EQ(log.value(first + 6), p + "get_gesamt_received():" + number(before[i].received));
    }

    // The user is told, once.
    TSprache sprache;
    sprache.Laden(QStringLiteral("deutsch.lan"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Error);
    const QString text = messages.shown[0].text;
    EXPECT_TRUE(text.startsWith(sprache.error(QStringLiteral("Error8")) + QStringLiteral("\n\n"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("classname: std::runtime_error"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("message: ") + QString::fromUtf8(kFailure))) << qPrintable(text);
}

TEST(ApplicationException, AFailureJustAfterMidnightBooksTheCountedTrafficUnderTheDayItWasCountedOn)
{
    auto* app = qobject_cast<NetzpegelApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    TempHome home;
    home.write("boot_id", "test-boot\n");
    FakeInterfaceTable table;
    table.setRows({FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6)});
    FakeDialupSource dialup;
    const QDate day(2026, 12, 8);
    FakeClock clock(QDateTime(day, QTime(23, 59, 30)));
    RecordingMessageSink messages;
    MainformServices services;
    services.interfaceTable = &table;
    services.dialupSource = &dialup;
    services.clock = &clock;
    services.messages = &messages;
    services.bootIdPath = home.file("boot_id");

    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    table.addOctets(2, 1000, 500);
    form.NicEngineTimer();
    table.addOctets(2, 4000, 1500);
    form.NicEngineTimer();
    const long double send = form.entries()[0]->get_gesamt_send();
    const long double received = form.entries()[0]->get_gesamt_received();
    ASSERT_GT(send, 0);
    ASSERT_GT(received, 0);
    // Past midnight, before the minute's check has seen the new day.
    clock.advanceSeconds(60);
    ASSERT_EQ(form.Tagesdatum, day);

    const QString cache = form.cachePath();
    QString sender;
    ASSERT_EQ(failInATimer(app, form, sender), 1);
    const auto rows = trafficRows(home.file("Datenbank.mdb"), QStringLiteral("00000002"));
    const DayTraffic counted = rows.count(day.toString(Qt::ISODate)) ? rows.at(day.toString(Qt::ISODate)) : DayTraffic();
    EXPECT_EQ(counted.rows, 1);
    EXPECT_EQ(counted.send, static_cast<double>(send));
    EXPECT_EQ(counted.received, static_cast<double>(received));
    const QString next = day.addDays(1).toString(Qt::ISODate);
    if (rows.count(next)) {
        EXPECT_EQ(rows.at(next).send, 0) << "nothing of the day before belongs to the new day";
        EXPECT_EQ(rows.at(next).received, 0);
    }
    EXPECT_FALSE(QFileInfo::exists(cache)) << "everything was booked";
}

} // namespace

namespace {

// Lines 1 to 8 of the long block, as a failure without a main window leaves them.
QStringList logHead(const TempHome& home)
{
    QStringList lines = QString::fromUtf8(home.read("error.txt")).split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines.mid(1); // from the separator on: the block's first line is a single blank
}

class FailureWithoutAWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app = qobject_cast<NetzpegelApplication*>(QCoreApplication::instance());
        ASSERT_NE(app, nullptr);
        app->setMessages(&messages);
        home.write("boot_id", "test-boot\n");
        services.interfaceTable = &table;
        services.dialupSource = &dialup;
        services.clock = &clock;
        services.messages = &messages;
        services.bootIdPath = home.file("boot_id");
    }
    void TearDown() override
    {
        app->setMessages(nullptr);
        clearLogVersionTexts();
    }

    QString error8()
    {
        TSprache sprache;
        sprache.Laden(QStringLiteral("deutsch.lan"));
        const QString text = sprache.error(QStringLiteral("Error8"));
        EXPECT_FALSE(text.isEmpty());
        return text;
    }

    NetzpegelApplication* app = nullptr;
    TempHome home;
    FakeInterfaceTable table;
    FakeDialupSource dialup;
    FakeClock clock;
    RecordingMessageSink messages;
    MainformServices services;
};

TEST_F(FailureWithoutAWindow, BeforeTheWindowExistsItIsLoggedShownAndEndsWithOne)
{
    layDownShippedFiles(home.folder()); // the language file for the message
    QTimer faulty;
    faulty.setSingleShot(true);
    QObject::connect(&faulty, &QTimer::timeout, [] { throw std::runtime_error(kFailure); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kWatchdogExit); });
    // No handler: nothing of a window has been made yet.
    const int code = app->runGuarded([&] {
        faulty.start(0);
        watchdog.start(10000);
        return QCoreApplication::exec();
    });
    watchdog.stop();
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(app->failed());
    const QStringList head = logHead(home);
    ASSERT_EQ(head.size(), 7) << qPrintable(head.join('\n'));
    EXPECT_EQ(head[0], QString(64, QLatin1Char('#')));
    EXPECT_EQ(head.mid(2), (QStringList{"Mainform->Sprache = NULL", QStringLiteral("Fehlermeldung:") + QString::fromUtf8(kFailure),
                                        "E->ClassName():std::runtime_error", "Sender->ClassName():QTimer",
                                        "E->MethodName(E):"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageSink::Icon::Error);
    EXPECT_TRUE(messages.shown[0].text.startsWith(error8() + QStringLiteral("\n\n classname: std::runtime_error")))
        << qPrintable(messages.shown[0].text);
}

TEST_F(FailureWithoutAWindow, WhileTheWindowIsBuiltItIsLoggedWithTheVersionShownAndEndsWithOne)
{
    table.setRows({FakeInterfaceTable::row(2, "eth0", kUp, kUp, 6)});
    table.setReadThrows(true);
    bool constructed = false;
    const int code = app->runGuarded([&] {
        TMainform form(services, {});
        constructed = true;
        return QCoreApplication::exec();
    });
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(constructed);
    const QStringList head = logHead(home);
    ASSERT_EQ(head.size(), 11) << qPrintable(head.join('\n'));
    EXPECT_EQ(head[2], QStringLiteral("file_version:") + QStringLiteral(NETZPEGEL_VERSION_TEXT));
    EXPECT_TRUE(head[4].startsWith(QStringLiteral("Mainform->Caption:Netzpegel (")));
    EXPECT_EQ(head[6], "db_version:2.2") << "the database was opened before";
    EXPECT_EQ(head.mid(7), (QStringList{"Fehlermeldung:interface table: out of buffer space",
                                        "E->ClassName():std::runtime_error", "Sender->ClassName():NetzpegelApplication",
                                        "E->MethodName(E):"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(error8() + QStringLiteral("\n\n"))) << qPrintable(messages.shown[0].text);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("message: interface table: out of buffer space")));
}

TEST_F(FailureWithoutAWindow, AfterTheWindowClosedAFailureIsStillLogged)
{
    TMainform form(services, {});
    ASSERT_TRUE(form.started());
    form.close();
    const QByteArray before = home.read("error.txt");
    const std::runtime_error late("after the end");
    form.ApplicationException(QStringLiteral("QTimer"), &late);
    const QByteArray after = home.read("error.txt");
    EXPECT_TRUE(after.startsWith(before));
    EXPECT_TRUE(after.mid(before.size()).contains("Fehlermeldung:after the end"));
    EXPECT_TRUE(messages.shown.empty()) << "the program is ending anyway";
}

} // namespace
