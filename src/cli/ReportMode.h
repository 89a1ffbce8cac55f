#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --report [FILE] [--host HOST]: the report with the saved report options and
// the adapters' report flags, to FILE or else to the saved path. With --host, of every
// adapter another machine (id or name) sent to the central database.
int runReport(const QStringList& arguments, QTextStream& out, QTextStream& err);
