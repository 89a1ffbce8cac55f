#pragma once

#include "acquisition/EntryLogState.h"

#include <QString>
#include <QStringList>
#include <vector>

class TVerInfo;

// What the long failure block reports besides the failure itself.
struct ApplicationState
{
    const TVerInfo* verInfo = nullptr;   // null: not read yet
    QString caption;                     // main window caption
    bool hasMainWindow = false;
    QString activePageName;
    int activePageIndex = 0;
    std::vector<EntryLogState> entries;
    int graphWindowCount = 0;
};

// The long block of an unexpected failure, line by line: the head (separator,
// time, versions, message, class names) and, with a main window, the state of
// every adapter entry.
QStringList applicationExceptionHead(const ApplicationState& state, const QString& message,
                                     const QString& exceptionClass, const QString& senderClass);
QStringList applicationExceptionState(const ApplicationState& state);

// The message box text shown after the block.
QString applicationExceptionMessage(const QString& error8Text, const QString& exceptionClass,
                                    const QString& message);
