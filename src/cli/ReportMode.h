#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --report [FILE]: the report with the saved report options and
// the adapters' report flags, to FILE or else to the saved path.
int runReport(const QStringList& arguments, QTextStream& out, QTextStream& err);
