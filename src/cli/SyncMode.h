#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --sync [--all]: sends every stored day the central database does not hold yet
// (the first time: the whole history), with progress and a summary; --all sends every day
// again (a central table emptied or restored). Writes nothing local but the marks of what was
// sent.
int runSync(const QStringList& arguments, QTextStream& out, QTextStream& err);
