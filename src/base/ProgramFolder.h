#pragma once

#include <QString>
#include <QStringList>

// The program folder: NETZPEGEL_HOME when set, else the executable's folder,
// except for an installed program (its folder not writable, or its launcher
// installed beside it), whose files live in $XDG_DATA_HOME/netzpegel.
// Always ends with a separator, so file names are simply appended.
QString programFolder();
// The same choice, from the values it is made of.
QString resolveProgramFolder(const QString& homeVariable, const QString& executableFolder, bool installed,
                             const QString& dataHome);
// Whether the executable in `executableFolder` is an installed one.
bool isInstalledProgramFolder(const QString& executableFolder);
QString programFile(const QString& name);
QString settingsFilePath();
// `path`, or the settings file when it is empty.
QString settingsFileOr(const QString& path);
QString variablesFilePath();

// Writes every shipped file that is missing from `folder` (only those below the
// shipped folder `only`, when given); never overwrites. Returns one message per
// file that could not be written.
QStringList layDownShippedFiles(const QString& folder, const QString& only = {});
