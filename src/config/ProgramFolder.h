#pragma once

#include <QString>
#include <QStringList>

// The program folder: NETZPEGEL_HOME when set, else the executable's folder.
// Always ends with a separator, so file names are simply appended.
QString programFolder();
QString programFile(const QString& name);
QString settingsFilePath();
QString variablesFilePath();

// Writes every shipped file that is missing from `folder`; never overwrites.
// Returns one message per file that could not be written.
QStringList layDownShippedFiles(const QString& folder);
