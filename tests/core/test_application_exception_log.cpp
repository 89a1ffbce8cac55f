#include "acquisition/TNic.h"
#include "config/TVerInfo.h"
#include "desktop/ApplicationExceptionLog.h"
#include "base/ExceptionLog.h"
#include "desktop/UnhandledFailure.h"
#include "fakes/FakeClock.h"
#include "support/QtPrinters.h"
#include "support/TempHome.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ApplicationExceptionLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setLogClock(&clock);
    }
    void TearDown() override
    {
        setLogClock(nullptr);
        QLocale::setDefault(QLocale::c());
    }

    // The block as the handler writes it: head, then the state of the window.
    QStringList logged(const ApplicationState& state, const QString& message)
    {
        WriteLogLines(applicationExceptionHead(state, message, QStringLiteral("DatabaseError"),
                                               QStringLiteral("TMainform")));
        WriteLogLines(applicationExceptionState(state));
        QString text = QString::fromUtf8(home.read(QStringLiteral("error.txt")));
        text.chop(1);
        return text.split(QLatin1Char('\n'));
    }

    TempHome home;
    FakeClock clock{QDateTime(QDate(2026, 3, 7), QTime(21, 5, 4))};
};

TEST_F(ApplicationExceptionLogTest, BeforeTheVersionIsReadTheHeadSaysSoAndAWindowlessBlockEndsThere)
{
    // The path of a failure before the main window has read its version.
    clearLogVersionTexts();
    const std::runtime_error failure("100% kaputt: %1 %s %%");
    const QString message = logUnhandledFailure(QStringLiteral("TMainform"), &failure);
    QString text = QString::fromUtf8(home.read(QStringLiteral("error.txt")));
    text.chop(1);
    EXPECT_EQ(text.split(QLatin1Char('\n')),
              (QStringList{" ", QString(64, '#'), "07.03.2026 21:05:04", "Mainform->Sprache = NULL",
                           "Fehlermeldung:100% kaputt: %1 %s %%", "E->ClassName():std::runtime_error",
                           "Sender->ClassName():TMainform", "E->MethodName(E):"}));
    // No language file here: the message still names the failure.
    EXPECT_EQ(message, QStringLiteral("\n\n classname: std::runtime_error\n message: 100% kaputt: %1 %s %%\n help-id: 0\n methodname: "));
}

TEST_F(ApplicationExceptionLogTest, TwoAdaptersGiveElevenLinesEachAfterTheWindowState)
{
    home.write(QStringLiteral("v.ver"), "[VarFileInfo]\nTranslation=0407 04E4\n[StringFileInfo\\040704E4]\n"
                                        "FileVersion=2.0.0.57\nProductVersion=2.0\nComments=Beta\n");
    TVerInfo verInfo;
    ASSERT_TRUE(verInfo.Lesen(home.file(QStringLiteral("v.ver"))));
    verInfo.setDbversion(QStringLiteral("2.2"));

    SampleContext context;
    context.bewareOfTrafficDouble = false;
    TNic eth(&context);
    eth.Name = QStringLiteral("eth0");
    eth.Index = QStringLiteral("00000002");
    eth.Mac = QStringLiteral("02:00:00:00:00:02");
    eth.set_wert_received(4000);
    eth.set_wert_send(1000);
    eth.set_wert_received(12884901888.0L); // past 32 bits, never grouped
    eth.set_gesamt_send(2.5L);
    TNic dfu(&context);
    dfu.setDfuIdentity(QStringLiteral("DFÜ"));

    ApplicationState state;
    state.verInfo = &verInfo;
    state.caption = QStringLiteral("Netzpegel (2.0.0.57)");
    state.hasMainWindow = true;
    state.activePageName = QStringLiteral("TabSheet2");
    state.activePageIndex = 1;
    state.entries = {eth.logState(), dfu.logState()};
    state.graphWindowCount = 2;

    const QStringList lines = logged(state, QStringLiteral("Zugriffsverletzung"));
    const QStringList expected{
        " ", QString(64, '#'), "07.03.2026 21:05:04",
        "file_version:2.0.0.57", "product_version:2.0", "Mainform->Caption:Netzpegel (2.0.0.57)",
        "file_comment:Beta", "db_version:2.2",
        "Fehlermeldung:Zugriffsverletzung", "E->ClassName():DatabaseError", "Sender->ClassName():TMainform",
        "E->MethodName(E):",
        "Mainform->PageControl1->ActivePage->Name:TabSheet2", "Mainform->PageControl1->TabIndex:1", " ",
        "(int)v.size:2", "(int)g.size:2", " ",
        "v[0]->Name:eth0", "v[0]->Index:00000002", "v[0]->Mac:02:00:00:00:00:02",
        "v[0]->get_alte_werte(send):1000", "v[0]->get_alte_werte(received):12884901888",
        "v[0]->get_gesamt_send():2,5", "v[0]->get_gesamt_received():12884901888",
        "v[0]->get_wert_send():1000", "v[0]->get_wert_received():12884901888",
        "v[0]->get_rate_send():1000", "v[0]->get_rate_received():12884897888",
        " ",
        QString::fromUtf8("v[1]->Name:DFÜ"), "v[1]->Index:dfu", "v[1]->Mac:",
        "v[1]->get_alte_werte(send):0", "v[1]->get_alte_werte(received):0",
        "v[1]->get_gesamt_send():0", "v[1]->get_gesamt_received():0",
        "v[1]->get_wert_send():0", "v[1]->get_wert_received():0",
        "v[1]->get_rate_send():0", "v[1]->get_rate_received():0",
        " "};
    EXPECT_EQ(lines, expected);
}

TEST_F(ApplicationExceptionLogTest, MessageBoxNamesClassAndMessage)
{
    EXPECT_EQ(applicationExceptionMessage(QStringLiteral("Schwerer Fehler."), QStringLiteral("DatabaseError"),
                                          QStringLiteral("50% voll")),
              QStringLiteral("Schwerer Fehler.\n\n classname: DatabaseError\n message: 50% voll\n help-id: 0\n methodname: "));
}

} // namespace
