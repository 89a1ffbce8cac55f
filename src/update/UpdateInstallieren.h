#pragma once

#include <QString>

struct UpdateInstallOutcome
{
    enum Kind {
        NoDownload,   // the address list offered no download
        Failed,       // nothing was started
        Started,      // the updater runs; the monitor is to close
    };
    Kind kind = Failed;
    QString message;
};

// Starts `updater` (the variables file's "Updater": a path, a name in the
// program folder, or a program on the PATH) in `folder` with the downloaded
// file's name as its one argument, but only when that file is there and not
// empty. Failures are logged.
UpdateInstallOutcome UpdateInstallieren(const QString& downloadAddress, const QString& updater, const QString& folder);
