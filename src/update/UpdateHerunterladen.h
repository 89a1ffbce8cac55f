#pragma once

#include "update/HttpClient.h"

#include <QString>

#include <functional>

struct UpdateDownloadOutcome
{
    enum Kind {
        ListFailed,   // the address list could not be read or is too short
        NoDownload,   // the list offers no download ("-")
        Failed,       // the download failed; nothing is left under its name
        Done,         // the complete file is in the program folder
    };
    Kind kind = ListFailed;
    QString downloadAddress;   // entries 0 and 1 of the list, once it was read
    QString secondAddress;
    QString fileName;          // "netzpegel_patch" + extension, in the program folder
    QString message;           // why it failed
    HttpError::Kind failure = HttpError::Kind::Failed;   // of a failed download
};

// Free bytes on the file system that holds `folder`.
using FreeSpace = std::function<qint64(const QString& folder)>;
qint64 freeSpaceOf(const QString& folder);
// Left free beside a download, so that the database on the same disk can still grow.
constexpr qint64 kDownloadSpaceReserve = qint64(64) * 1024 * 1024;

// Reads the address list and downloads the new version into `folder`. The
// file is written under a temporary name and takes its own name only once it
// is complete and not empty; it is not begun unless `freeSpace` leaves room
// for it and the reserve. Failures are logged. Never throws.
UpdateDownloadOutcome UpdateHerunterladen(HttpClient& http, const QString& listAddress, const QString& folder,
                                          const HttpProgress& progress, const FreeSpace& freeSpace = freeSpaceOf);
