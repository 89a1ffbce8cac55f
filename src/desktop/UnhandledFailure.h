#pragma once

#include <QString>

#include <exception>

// A failure that no main window can take up: one that escapes before the window
// exists or while it is built, or one after it is gone. Writes lines 1 to 8 of
// the long block to error.txt (the version lines once the window has read its
// version, else "Mainform->Sprache = NULL") and returns the message to show,
// which begins with the language text "Error8". `e` is null for a failure that
// is no std::exception.
QString logUnhandledFailure(const QString& senderClass, const std::exception* e);
