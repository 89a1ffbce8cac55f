#include "service/ServiceMode.h"

#include "acquisition/LinuxSources.h"
#include "base/ExceptionLog.h"
#include "base/MessageSink.h"
#include "base/ProgramFolder.h"
#include "base/UnixSignals.h"
#include "config/Settings.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "desktop/BasisPrio.h"
#include "desktop/DesktopNotification.h"
#include "desktop/SetpriorityProcessPriority.h"
#include "desktop/SingleInstance.h"
#include "desktop/StartupPages.h"
#include "engine/PlanAlertText.h"
#include "engine/CentralSender.h"
#include "engine/TrafficEngine.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>

namespace {

// Every message on standard error; errors and warnings also in error.txt, where an
// administrator looks when nobody watched the terminal.
class ServiceMessages : public StderrMessageSink
{
public:
    void show(Icon icon, const QString& text) override
    {
        StderrMessageSink::show(icon, text);
        if (icon == Icon::Error || icon == Icon::Warning)
            LogException(text, QStringLiteral("Service"));
    }
};

EngineOptions optionsFrom(const Einstellungen& e, const QStringList& arguments)
{
    EngineOptions o;
    o.nicEngine = e.nicEngine;
    o.dfuEngine = e.dfuEngine;
    o.intervalSeconds = e.nicEngineIntervallTimer;
    o.sonderModus = e.sonderModus;
    o.bewareOfTrafficDouble = e.doppeltertraffic;
    for (const QString& arg : arguments)
        if (arg.toLower() == QLatin1String("-n"))
            o.bewareOfTrafficDouble = true;
    o.cacheIntervalText = e.cacheIntervalText;
    o.base = e.umrechnung ? 1000 : 1024;
    return o;
}

QString entryText(const TSprache& sprache, const TNic& nic)
{
    return sprache.error(QStringLiteral("Error10")) + nic.Index + QLatin1Char('(') + nic.Name + QStringLiteral(") ")
        + sprache.error(QStringLiteral("Error10a"));
}

} // namespace

bool isServiceMode(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("--service"));
}

int runService(const QStringList& arguments)
{
    ServiceMessages messages;
    layDownShippedFiles(programFolder());
    SingleInstance instance(programFolder());
    if (!instance.tryLock()) {
        instance.askRunningToRaise();
        messages.show(MessageSink::Icon::None, QStringLiteral("Netzpegel ist bereits aktiv!"));
        return 0;
    }
    // Signals caught from here on wait for the event loop, which ends the run in order.
    UnixSignals unixSignals;

    TSprache sprache;
    Einstellungen settings;
    const bool settingsRead = EinstellungenLaden(settings);
    sprache.setFileName(settings.sprachdateiname);
    sprache.Laden(sprache.fileName());
    TVerInfo verInfo;
    verInfo.Lesen(TVerInfo::ownResourcePath());
    setLogVersionTexts({verInfo.FileVersion(), verInfo.ProductVersion(), verInfo.Comments()});
    if (!settingsRead)
        messages.show(MessageSink::Icon::Error, sprache.error(QStringLiteral("Error1")));
    SetpriorityProcessPriority priority;
    SetBasisPrio(settings.basisprio, priority);

    LinuxSources sources;
    EngineServices services;
    sources.serve(services);
    services.sprache = &sprache;
    TrafficEngine engine(services);
    QObject::connect(&engine, &TrafficEngine::message, &engine,
                     [&messages](MessageSink::Icon icon, const QString& text) { messages.show(icon, text); });

    const EngineOptions options = optionsFrom(settings, arguments);
    // A user's service reaches the desktop's notifications; elsewhere the log line is all.
    DesktopNotification notification;
    QObject::connect(&engine, &TrafficEngine::planAlert, &notification, [&](const PlanAlert& alert) {
        notification.send(planAlertSummary(alert, sprache), planAlertBody(alert, sprache, options.base));
    });
    std::vector<IfRow> rows;
    if (!engine.openDatabase()) {
        clearLogVersionTexts();
        return 1;
    }
    if (!engine.readInterfaces(options, rows)) {
        messages.show(MessageSink::Icon::Error, sprache.error(QStringLiteral("Error9")));
        clearLogVersionTexts();
        return 1;
    }
    engine.createEntries(rows, options);
    engine.start(rows, options);
    std::unique_ptr<CentralSender> central;
    if (!settings.zentrale.isEmpty()) {
        CentralSender::Options centralOptions;
        centralOptions.connectionString = settings.zentrale;
        centralOptions.log = [&messages](const QString& text) { messages.show(MessageSink::Icon::Warning, text); };
        central = std::make_unique<CentralSender>(engine, &sprache, centralOptions);
    }
    instance.listen(); // a later start is told that this one runs; there is no window to raise
    QObject::connect(&unixSignals, &UnixSignals::terminationRequested, &engine, [] { QCoreApplication::exit(0); });
    if (unixSignals.requested())
        QTimer::singleShot(0, &engine, [] { QCoreApplication::exit(0); });
    // Library pages only the start-up used go back once counting runs: a service stays light.
    QTimer::singleShot(3000, &engine, [] { StartupPages::release(); });
    const int code = QCoreApplication::exec();
    central.reset(); // the end never waits for the network; what is owed goes out at the next start
    for (TNic* nic : engine.bookAtClose())
        messages.show(MessageSink::Icon::Error, entryText(sprache, *nic));
    engine.release();
    setLogClock(nullptr);
    clearLogVersionTexts();
    return code;
}
