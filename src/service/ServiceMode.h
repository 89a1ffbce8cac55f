#pragma once

#include <QStringList>

// `netzpegel --service`: the engine without a window, for machines without a desktop. Counts
// until SIGTERM, SIGINT or SIGHUP, then books the day. Messages go to standard error, failures
// also to error.txt. Needs a QCoreApplication, never a display. Returns the exit code: 0, or 1
// when counting could not start or ended in a failure.
int runService(const QStringList& arguments);

// Whether the arguments ask for the service.
bool isServiceMode(const QStringList& arguments);
