#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` by `content` at once: a crash, a kill or a full
// disk leaves the old file or the new one, never part of one. False, with the
// old file untouched, when any step fails, including writing out the last
// buffered bytes and syncing them to the disk (both of which a plain QSaveFile
// does not check before it renames). `directWriteFallback` writes in place
// where the folder does not allow a new file beside it. `error` receives the reason.
bool replaceFile(const QString& path, const QByteArray& content, bool directWriteFallback = false,
                 QString* error = nullptr);

// Writes a new file at `path` holding `content`, whole or not at all, and
// never over a file that exists. False, with `error` set, when it is not there
// afterwards as asked.
bool createFile(const QString& path, const QByteArray& content, QString* error = nullptr);
