#include "base/ProgramFolder.h"

#include "base/FileReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString resolveProgramFolder(const QString& homeVariable, const QString& executableFolder, bool installed,
                             const QString& dataHome)
{
    QString folder = homeVariable;
    if (folder.isEmpty())
        folder = installed ? dataHome + QStringLiteral("/netzpegel") : executableFolder;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

bool isInstalledProgramFolder(const QString& executableFolder)
{
    // Root may write below /usr, yet an installed program keeps no files there.
    const QFileInfo folder(executableFolder);
    return !folder.isWritable()
        || QFileInfo::exists(executableFolder + QStringLiteral("/../share/applications/netzpegel.desktop"));
}

QString programFolder()
{
    const QString home = qEnvironmentVariable("NETZPEGEL_HOME");
    if (!home.isEmpty())
        return resolveProgramFolder(home, QString(), false, QString());
    const QString executableFolder = QCoreApplication::applicationDirPath();
    return resolveProgramFolder(home, executableFolder, isInstalledProgramFolder(executableFolder),
                                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString programFile(const QString& name) { return programFolder() + name; }

QString settingsFilePath() { return programFile(QStringLiteral("netzpegel.ini")); }

QString settingsFileOr(const QString& path) { return path.isEmpty() ? settingsFilePath() : path; }

QString variablesFilePath() { return programFile(QStringLiteral("variables.conf")); }

QStringList layDownShippedFiles(const QString& folder, const QString& only)
{
    QStringList errors;
    const QString root = QStringLiteral(":/shipped/");
    QDirIterator it(only.isEmpty() ? root : root + only, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = folder + source.mid(root.size());
        if (QFileInfo::exists(target))
            continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile in(source);
        QString error = QStringLiteral("cannot be read from the program");
        // A file that appeared meanwhile is still never overwritten.
        if (!in.open(QIODevice::ReadOnly) || !createFile(target, in.readAll(), &error))
            errors << QStringLiteral("%1: %2").arg(target, error);
    }
    return errors;
}
