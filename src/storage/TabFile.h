#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

// Table exchange files (".tab"): three lines per day, the day as MM/DD/YYYY,
// then the bytes received and the bytes sent, days in ascending order.

struct TabDay
{
    QDate day;
    double received = 0;
    double send = 0;
    bool operator==(const TabDay&) const = default;
};

// A day whose date line is no date, or one of whose value lines is no byte
// count; it is left out of the import.
struct TabSkippedDay
{
    enum class Cause { Date, ByteCount };
    int line = 0; // 1-based number of the line that could not be read
    QString text;
    Cause cause = Cause::Date;
    bool operator==(const TabSkippedDay&) const = default;
};

// Skipped days listed with their line; the rest are only counted, so that a
// huge file of bad lines costs no memory for them.
constexpr qsizetype kLoggedSkippedDays = 20;

struct TabFileContent
{
    bool ok = false;
    QString error;                 // why the file as a whole cannot be read
    qint64 lineCount = -1;         // of a file refused for it; -1 when refused for a NUL byte
    QList<TabDay> days;            // in file order
    QList<TabSkippedDay> skipped;  // the first kLoggedSkippedDays days that could not be read
    qint64 skippedDays = 0;        // all of them
};

// Reads the bytes of a table file; lines may end in CR LF, CR or LF. A file
// that is not three lines per day or holds a NUL byte is refused as a whole
// (no days); a day whose date line is no date or one of whose values is no
// byte count is skipped, counted and (the first ones) listed. Pure: no file
// system, no database. Takes no memory per line beyond the days it returns.
TabFileContent parseTabFile(const QByteArray& bytes);

// The lines of `days` as a table file writes them, each ended by CR LF.
QByteArray formatTabFile(const QList<TabDay>& days);

// A byte count as a table file and the stored value text write it: whole
// numbers as plain digits, exact up to the last one.
QString byteCountText(double value);

// The file an export writes for the name the user chose: "_" + table name
// goes before the final extension ("export.tab" -> "export_0000000b.tab").
// Characters that cannot be part of a file name are replaced by "_".
QString exportFileName(const QString& chosen, const QString& table);
