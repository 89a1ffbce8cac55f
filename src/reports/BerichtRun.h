#pragma once

#include "reports/BerichtAdapter.h"
#include "reports/BerichtOptions.h"

#include <vector>

class BerichtSink;
class Clock;
class Database;
class TSprache;

// One report run: the document for every adapter whose flag is set, in list
// order, written to the options' path with the style sheet beside it. True
// when the file was written. Any failure ends the run as one line in the log
// and leaves the file that was there; so does a stop, without the line.
bool runBericht(Database& db, const std::vector<BerichtAdapter>& adapters, const BerichtOptions& options,
                const TSprache& sprache, const Clock& clock, BerichtSink& sink);
