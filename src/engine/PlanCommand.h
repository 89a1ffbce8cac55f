#pragma once

#include <QString>
#include <QStringList>

class QObject;

// Starts a plan's command without a shell: `command` is the program, optionally followed by
// arguments of its own (quoted where they hold blanks), then `arguments` unchanged. Never waits:
// a command that cannot start is logged at once, one that runs longer than `limitMs` is logged
// and ended. The process belongs to `parent`.
void startPlanCommand(const QString& command, const QStringList& arguments, QObject* parent, int limitMs = 60000);
