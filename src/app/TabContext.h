#pragma once

#include "base/MessageSink.h"

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

class Clock;
class TNic;
class TSprache;
class UrlOpener;

// What the statistics and reports pages use of the main window. Nothing is
// owned; all of it is the main window's and lives as long as it does.
struct TabContext
{
    const std::vector<TNic*>* entries = nullptr;
    const int* umrechnungsfaktor = nullptr;
    const TSprache* sprache = nullptr;
    const Clock* clock = nullptr;
    // The day whose traffic the running totals hold (`Tagesdatum`): after
    // midnight, until the minute's check books it, still the day before.
    const QDate* tagesdatum = nullptr;
    // True once the window has closed; a dialog that returns must look.
    const bool* closed = nullptr;
    std::function<void(MessageSink::Icon, const QString&)> message;
    // A file to write to; empty when cancelled. Qt's save dialog when not set.
    std::function<QString(const QString& folder, const QString& filter)> chooseSaveFile;
    // Opens a document with the desktop's program for it; none: nothing opens.
    UrlOpener* opener = nullptr;

    bool isClosed() const { return closed && *closed; }
};
