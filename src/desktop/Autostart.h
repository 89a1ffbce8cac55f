#pragma once

#include "desktop/TShortcutCfg.h"

#include <QString>

class AutostartFolder;

// The autostart entry of the program: on while its file exists in the
// autostart folder and the desktop has not switched it off. Switching on
// writes a whole new entry, which is enabled.
class Autostart
{
public:
    // `description` becomes the entry's comment; the icon is the installed theme icon.
    Autostart(AutostartFolder& folder, const QString& productName, const QString& executablePath,
              const QString& description);

    TShortcutCfg shortcut() const { return m_cfg; }
    QString fileName() const;
    bool isOn() const;
    // False when the entry could not be written.
    bool switchOn();
    // False when the entry is still there; an entry already gone is no failure.
    bool switchOff();

private:
    AutostartFolder& m_folder;
    TShortcutCfg m_cfg;
};
