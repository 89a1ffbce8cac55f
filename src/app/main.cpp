#include "acquisition/LinuxSources.h"
#include "app/MessageBoxSink.h"
#include "app/NetzpegelApplication.h"
#include "desktop/SingleInstance.h"
#include "app/TMainform.h"
#include "base/UnixSignals.h"
#include "base/ExceptionLog.h"
#include "cli/CommandLine.h"
#include "base/ProgramFolder.h"
#include "desktop/DesktopUrlOpener.h"
#include "desktop/PlatformChoice.h"
#include "desktop/SetpriorityProcessPriority.h"
#include "desktop/StartupPages.h"
#include "desktop/UnhandledFailure.h"
#include "desktop/XdgAutostartFolder.h"
#include "desktop/ui/SystemTrayNotificationArea.h"
#include "desktop/ui/WindowBehaviour.h"
#include "service/ServiceApplication.h"
#include "service/ServiceMode.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

#include <memory>
#include <optional>
#include <vector>

namespace {

// The window-less modes get a core application only: no display, no platform plugin.
std::optional<int> runWithoutWindow(int argc, char** argv, const QStringList& arguments)
{
    if (!findCommandLineMode(arguments))
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("netzpegel"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A failure is logged like any other and told on standard error.
    const QString sender = QString::fromLatin1(app.metaObject()->className());
    try {
        return runCommandLine(arguments, out, err);
    } catch (const std::exception& e) {
        logUnhandledFailure(sender, &e);
        err << "netzpegel: " << e.what() << '\n';
    } catch (...) {
        logUnhandledFailure(sender, nullptr);
        err << "netzpegel: unknown failure\n";
    }
    return 1;
}

// The monitor with its window; every failure on the way reaches the application.
int runMonitor(NetzpegelApplication& app, MessageSink& messages)
{
    SingleInstance instance(programFolder());
    if (!instance.tryLock()) {
        instance.askRunningToRaise();
        messages.show(MessageSink::Icon::None, QStringLiteral("Netzpegel ist bereits aktiv!"));
        return 0;
    }

    LinuxSources sources;
    MainformServices services;
    sources.serve(services);
    services.messages = &messages;
    XdgAutostartFolder autostart;
    SetpriorityProcessPriority priority;
    DesktopUrlOpener opener;
    SystemTrayNotificationArea notificationArea;
    services.autostartFolder = &autostart;
    services.priority = &priority;
    services.opener = &opener;
    services.notificationArea = &notificationArea;

    // Signals caught from here on wait for the event loop, which closes the window in order.
    UnixSignals unixSignals;
    TMainform form(services, QApplication::arguments().mid(1));
    if (!form.started() || app.failed())
        return 1;
    if (platformWithholdsWindowFeatures(QGuiApplication::platformName()))
        LogException(withheldWindowFeaturesText(QGuiApplication::platformName()), QStringLiteral("Wayland"));
    if (auto* boxes = dynamic_cast<MessageBoxSink*>(&messages))
        boxes->setParent(&form);
    app.setExceptionHandler([&form](const QString& sender, const std::exception* e) {
        form.ApplicationException(sender, e);
    });

    instance.listen();
    QObject::connect(&instance, &SingleInstance::raiseRequested, &form, [&form] { form.windows().showMain(); });
    QObject::connect(&unixSignals, &UnixSignals::terminationRequested, &form, &QWidget::close);
    if (unixSignals.requested()) // asked to end while a start-up message was open
        QTimer::singleShot(0, &form, &QWidget::close);
    // The end of the session books the day like closing the window.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form] { form.close(); });
    QApplication::setQuitOnLastWindowClosed(false);
    form.showAtStart();
    // Library pages only the start-up used go back once the first samples are shown.
    QTimer::singleShot(3000, &form, [] { StartupPages::release(); });
    const int code = app.exec();
    app.setExceptionHandler({}); // the window goes before the application
    return code;
}

// The arguments with "-platform NAME" added when the display calls for another plugin
// than Qt's own choice. An argument, not the environment: programs we start choose their own.
std::vector<char*> withPlatform(int argc, char** argv, QByteArray& platform)
{
    std::vector<char*> args(argv, argv + argc);
    platform = chooseQpaPlatform(DisplayEnvironment::current()).toLocal8Bit();
    if (!platform.isEmpty()) {
        static char option[] = "-platform";
        args.insert(args.begin() + 1, {option, platform.data()});
    }
    args.push_back(nullptr);
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> code = runWithoutWindow(argc, argv, arguments))
        return *code;
    if (isServiceMode(arguments)) {
        // The engine alone: no display, no platform plugin.
        ServiceApplication app(argc, argv);
        return runService(arguments);
    }

    QByteArray platform;
    std::vector<char*> args = withPlatform(argc, argv, platform);
    int count = static_cast<int>(args.size()) - 1;
    // Through shared memory, Qt waits for the X server after every window's flush; our
    // flushes are small (a graph's new strip, a changed cell) and cost less sent over the
    // socket. Only for our own connection: programs we start choose for themselves.
    const bool sharedMemoryChosen = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (!sharedMemoryChosen)
        qputenv("QT_XCB_NO_MITSHM", "1");
    NetzpegelApplication app(count, args.data());
    if (!sharedMemoryChosen)
        qunsetenv("QT_XCB_NO_MITSHM");
    QApplication::setApplicationName(QStringLiteral("netzpegel"));
    const bool dialogs = qEnvironmentVariableIsEmpty("NETZPEGEL_NO_DIALOGS");
    std::unique_ptr<MessageSink> messages;
    if (dialogs)
        messages = std::make_unique<MessageBoxSink>();
    else
        messages = std::make_unique<StderrMessageSink>();
    app.setMessages(messages.get());
    return app.runGuarded([&] { return runMonitor(app, *messages); });
}
