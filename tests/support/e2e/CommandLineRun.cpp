#include "support/e2e/CommandLineRun.h"

#include <QProcess>
#include <QProcessEnvironment>

CommandLineRun runCommandLine(const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(NETZPEGEL_EXE), arguments);
    CommandLineRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
