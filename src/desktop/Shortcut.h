#pragma once

#include "desktop/TShortcutCfg.h"

#include <QByteArray>
#include <QString>

class AutostartFolder;

// `text` as one argument of an Exec line: quoted when it holds anything but
// plain characters, with the escapes the desktop entry format asks for.
QString desktopExecArgument(const QString& text);
// The desktop entry for `cfg`: Type, Name, Exec (target, then arguments), and
// Path, Icon, Comment when set. Without a name the target's base name names it.
QByteArray desktopEntryText(const TShortcutCfg& cfg);
// Whether the desktop starts an autostart entry with this text: not when the
// desktop's own start-up settings switched it off (Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false in the [Desktop Entry] group).
bool autostartEntryEnabled(const QByteArray& text);
// File name of the entry: the name followed by ".desktop".
QString shortcutFileName(const QString& name);

// Writes the entry into `folder`; false when it could not be written.
bool CreateShortcut(const TShortcutCfg& cfg, AutostartFolder& folder);
