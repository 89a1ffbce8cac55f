#include "desktop/XdgAutostartFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
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

bool XdgAutostartFolder::write(const QString& fileName, const QByteArray& content)
{
    if (!QDir().mkpath(m_folder))
        return false;
    // Written aside and renamed: the desktop never starts half an entry.
    QSaveFile f(QDir(m_folder).filePath(fileName));
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return false;
    return f.commit();
}

bool XdgAutostartFolder::remove(const QString& fileName)
{
    const QString path = QDir(m_folder).filePath(fileName);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    return QFile::remove(path);
}
