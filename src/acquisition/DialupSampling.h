#pragma once

#include <QString>

class DialupSource;
class TNic;
class TSprache;

// One dial-up tick: feeds the connection's counters (or 0 when none is up)
// into the dial-up entry and returns the text for the dial-up label.
QString sampleDialup(DialupSource& source, TNic& entry, const TSprache& sprache);
