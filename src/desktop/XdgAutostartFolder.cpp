#include "desktop/XdgAutostartFolder.h"

#include "base/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

XdgAutostartFolder::XdgAutostartFolder(const QString& folder)
    : m_folder(folder)
{
}

QString XdgAutostartFolder::defaultPath()
{
    // GenericConfigLocation follows XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

bool XdgAutostartFolder::exists(const QString& fileName) const
{
    return QFileInfo(QDir(m_folder).filePath(fileName)).isFile();
}

QByteArray XdgAutostartFolder::read(const QString& fileName) const
{
    QFile f(QDir(m_folder).filePath(fileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // An entry is a few lines; anything larger is no entry of ours.
    return f.read(64 * 1024);
}

bool XdgAutostartFolder::write(const QString& fileName, const QByteArray& content)
{
    if (!QDir().mkpath(m_folder))
        return false;
    // Written aside and renamed: the desktop never starts half an entry.
    return replaceFile(QDir(m_folder).filePath(fileName), content);
}

bool XdgAutostartFolder::remove(const QString& fileName)
{
    const QString path = QDir(m_folder).filePath(fileName);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    return QFile::remove(path);
}
