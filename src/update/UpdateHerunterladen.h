#pragma once

#include <QString>

class HttpClient;
struct HttpProgress;

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
};

// Reads the address list and downloads the new version into `folder`. The
// file is written under a temporary name and takes its own name only once it
// is complete and not empty. Failures are logged. Never throws.
UpdateDownloadOutcome UpdateHerunterladen(HttpClient& http, const QString& listAddress, const QString& folder,
                                          const HttpProgress& progress);
