#pragma once

#include <QString>

class DialupSource;
class TNic;
class TSprache;

// One dial-up tick: feeds the connection's counters (or 0 when none is up)
// into the dial-up entry and returns the text for the dial-up label; `connected`,
// when given, says whether a connection was up.
QString sampleDialup(DialupSource& source, TNic& entry, const TSprache& sprache, bool* connected = nullptr);
