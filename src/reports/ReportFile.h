#pragma once

#include <QString>
#include <QStringList>

// Writes `lines` to `path` in UTF-8 without byte-order mark, CR LF after every
// line. The text goes to a file beside it that is renamed over `path` once
// complete, so a failure leaves the file that was there. Never over the
// database at `databasePath` or the engine's files beside it. Throws
// std::runtime_error naming the file and the reason.
void writeReportFile(const QString& path, const QStringList& lines, const QString& databasePath);

// Lays the shipped style sheet down beside the report when there is none
// there; an existing one is never replaced. False when it could not be written.
bool layDownStyleSheet(const QString& reportPath);
