#pragma once

#include <QString>

// What the process environment says about the display, read before the
// application object exists.
struct DisplayEnvironment
{
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
    QString qpaPlatform;    // QT_QPA_PLATFORM, the user's own choice
    static DisplayEnvironment current();
};

// The window-system plugin to ask for; empty leaves Qt's own choice. A Wayland
// session with XWayland runs on xcb, because a Wayland compositor neither lets
// a client place its windows nor keep them on top or out of the taskbar. A
// platform the user named is obeyed.
QString chooseQpaPlatform(const DisplayEnvironment& env);

// Whether the platform in use (QGuiApplication::platformName) withholds window
// placement and the rest from the program.
bool platformWithholdsWindowFeatures(const QString& platformName);
// The log line that says so.
QString withheldWindowFeaturesText(const QString& platformName);
