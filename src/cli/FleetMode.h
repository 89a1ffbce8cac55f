#pragma once

#include <QStringList>
#include <QTextStream>

// netzpegel --fleet [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json]: every host's and
// adapter's received, sent and total bytes and its number of days in the central database,
// largest total first. Only reads.
int runFleet(const QStringList& arguments, QTextStream& out, QTextStream& err);
