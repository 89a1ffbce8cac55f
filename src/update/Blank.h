#pragma once

#include <QChar>

// Space and the control characters below it: what the update files may pad their values with.
inline bool isBlank(QChar c) { return c.unicode() <= ' '; }
