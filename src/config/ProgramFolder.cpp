#include "config/ProgramFolder.h"

#include "config/FileReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

QString programFolder()
{
    QString folder = qEnvironmentVariable("NETZPEGEL_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString programFile(const QString& name) { return programFolder() + name; }

QString settingsFilePath() { return programFile(QStringLiteral("netzpegel.ini")); }

QString variablesFilePath() { return programFile(QStringLiteral("variables.conf")); }

QStringList layDownShippedFiles(const QString& folder)
{
    QStringList errors;
    const QString root = QStringLiteral(":/shipped/");
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
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
