#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class Database;
class PendingBookings;
class TNic;

// The running totals of every entry in a small text file, so that a crash
// loses at most the minutes since the last write.
namespace CounterCache {

// Results of read().
constexpr int Restored = 0;
constexpr int NoFile = 1;
constexpr int DoesNotFit = 2;
constexpr int Unreadable = -1;

// The file's text for the current totals, written on `today`.
QByteArray content(const std::vector<TNic*>& v, const QDate& today);

// Replaces the file at `path` at once (a crash leaves the old or the new file,
// never half of one). False on failure; `written` receives the text on success.
bool write(const QString& path, const std::vector<TNic*>& v, const QDate& today, QByteArray* written = nullptr);

// Makes the file at `path` hold `content` (replaced at once), or deletes it
// when `content` is empty. True when the file is as asked.
bool replace(const QString& path, const QByteArray& content);

// Whom the groups of a file belong to. Known, the groups go to the entries
// with those Indexes, wherever they stand; a group whose adapter has no entry
// now (its interface is gone) is booked under the file's day through
// `database`. Unknown (or not one per group), groups go to entries by order.
struct Owners
{
    QStringList indexes;            // the Index of each group, in the file's order
    Database* database = nullptr;   // books the groups of absent adapters
    int bookedAbsent = 0;           // out: groups of absent adapters booked or owed
};

// Restores the totals from the file, or books them under the file's day when
// that day is over. A booking that fails is kept in `pending` instead of lost.
// `fileDay` receives the day the file was written on, once it has been read.
int read(const QString& path, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
         QDate* fileDay = nullptr, Owners* owners = nullptr);
// The same for the file's text.
int restore(const QByteArray& text, const std::vector<TNic*>& v, const QDate& today, PendingBookings& pending,
            QDate* fileDay = nullptr, Owners* owners = nullptr);

// What a cache file holds, read without touching any entry.
struct Contents
{
    struct Totals
    {
        long double send = 0;
        long double received = 0;
    };
    QDate day;                  // the day it was written; invalid until read
    std::vector<Totals> groups; // one per entry, in the entries' order
};

// Reads the file as read() does for `entries` entries and returns the same
// result; on Unreadable, `out` holds the groups before the bad one.
int peek(const QString& path, qsizetype entries, Contents& out);
// The same for the file's text.
int parse(const QByteArray& text, qsizetype entries, Contents& out);

// Where a cache that does not fit is kept: "backup_" + date + "_" + name, in
// the same folder. Separators a date may contain become dashes.
QString backupPath(const QString& folder, const QString& cacheName, const QDate& today);

} // namespace CounterCache
