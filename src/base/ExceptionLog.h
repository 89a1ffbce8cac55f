#pragma once

#include <QString>
#include <QStringList>

#include <exception>

class Clock;

// The version texts every log block carries. Until they are set (the version
// information is read early at start-up) LogException writes nothing.
struct LogVersionTexts
{
    QString fileVersion;
    QString productVersion;
    QString comments;
};

// Appends `text` and a line break to `path`; an empty path means "error.txt" in
// the program folder. False when anything failed; never throws. Safe from any
// thread: each line is written whole.
bool WriteLogLine(const QString& text, const QString& path = {});

// Appends several lines as one piece, so that blocks from different threads
// never interleave.
bool WriteLogLines(const QStringList& lines, const QString& path = {});

// The short failure block: separator, time stamp, versions, message, class name.
void LogException(const QString& message, const QString& className, const QString& path = {});
// Same, with the exception's own message after `prefix` and its type as class name.
void LogException(const std::exception& e, const QString& prefix = {}, const QString& path = {});

void setLogVersionTexts(const LogVersionTexts& texts);
void clearLogVersionTexts();
bool hasLogVersionTexts();
// The database version as the migration read it (or upgraded it to).
void setLogDbVersion(const QString& dbVersion);
QString logDbVersion();
// The clock for the time stamps; nullptr means the system clock.
void setLogClock(const Clock* clock);

// "dd.mm.yyyy hh:mm:ss" of the log clock's now.
QString logTimeStamp();
QString logSeparatorLine();
// Class name of an exception object, readable (demangled).
QString exceptionClassName(const std::exception& e);
