#pragma once

#include <QByteArray>
#include <QStringList>

// One run of the executable in a window-less mode, with no display at all:
// as from ssh or cron. The program folder is the test's NETZPEGEL_HOME.
struct CommandLineRun
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

CommandLineRun runCommandLine(const QStringList& arguments);
