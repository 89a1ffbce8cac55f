#include "desktop/Autostart.h"

#include "desktop/AutostartFolder.h"
#include "desktop/Shortcut.h"

#include <QFileInfo>

Autostart::Autostart(AutostartFolder& folder, const QString& productName, const QString& executablePath,
                     const QString& description)
    : m_folder(folder)
{
    const QFileInfo exe(executablePath);
    m_cfg.name = productName;
    m_cfg.folder = folder.path();
    m_cfg.target = exe.absoluteFilePath();
    m_cfg.workingFolder = exe.absolutePath();
    m_cfg.iconFile = QStringLiteral("netzpegel");
    m_cfg.description = description;
    m_cfg.showCommand = 1;
}

QString Autostart::fileName() const
{
    return shortcutFileName(m_cfg.name);
}

bool Autostart::isOn() const
{
    return m_folder.exists(fileName()) && autostartEntryEnabled(m_folder.read(fileName()));
}

bool Autostart::switchOn()
{
    return CreateShortcut(m_cfg, m_folder);
}

bool Autostart::switchOff()
{
    return m_folder.remove(fileName());
}
