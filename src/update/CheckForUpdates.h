#pragma once

#include <QDate>
#include <QString>

class HttpClient;

// What the update check needs, taken when it starts.
struct UpdateCheckRequest
{
    QString versionAddress;     // "Update" of the variables file
    QString installedVersion;   // FileVersion of the version resource
    QDate lastCheck;            // invalid: never checked
    QDate today;
};

struct UpdateCheckOutcome
{
    enum Result { Failed = 0, NotNewer = 1, Same = 2, Newer = 3, CheckedToday = 4 };
    int result = Failed;
    QString serverVersion;      // the fetched version text, when it was one
    // For the log when the check failed: message and class name.
    QString failure;
    QString failureClass;

    // The server answered with a version: the last check date becomes today.
    bool fetched() const { return result >= NotNewer && result <= Newer; }
};

// Fetches the version file and compares it with the installed version; the
// server is not asked again on a day it was asked successfully. Never throws.
UpdateCheckOutcome CheckForUpdates(HttpClient& http, const UpdateCheckRequest& request);

// Longest version file taken; a longer one is no version file.
constexpr qint64 kMaxVersionFileBytes = 64 * 1024;
