#pragma once

#include "desktop/AutostartFolder.h"

// $XDG_CONFIG_HOME/autostart (default ~/.config/autostart), or a folder given.
class XdgAutostartFolder : public AutostartFolder
{
public:
    explicit XdgAutostartFolder(const QString& folder = defaultPath());
    static QString defaultPath();

    QString path() const override { return m_folder; }
    bool exists(const QString& fileName) const override;
    QByteArray read(const QString& fileName) const override;
    bool write(const QString& fileName, const QByteArray& content) override;
    bool remove(const QString& fileName) override;

private:
    QString m_folder;
};
