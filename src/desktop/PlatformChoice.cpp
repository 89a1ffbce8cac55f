#include "desktop/PlatformChoice.h"

#include <QtGlobal>

DisplayEnvironment DisplayEnvironment::current()
{
    return {qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"),
            qEnvironmentVariable("QT_QPA_PLATFORM")};
}

QString chooseQpaPlatform(const DisplayEnvironment& env)
{
    // Qt reads an empty QT_QPA_PLATFORM as unset; so does this.
    if (!env.qpaPlatform.trimmed().isEmpty())
        return {};
    if (env.waylandDisplay.isEmpty() || env.display.isEmpty())
        return {};
    return QStringLiteral("xcb");
}

bool platformWithholdsWindowFeatures(const QString& platformName)
{
    return platformName.startsWith(QLatin1String("wayland"));
}

QString withheldWindowFeaturesText(const QString& platformName)
{
    return QStringLiteral("Running natively on Wayland (platform %1, no XWayland): the compositor places the "
                          "windows, so saved window places, snapping to the screen edges, staying on top and "
                          "hiding the main window from the taskbar do not take effect. Set DISPLAY for XWayland "
                          "to have them.")
        .arg(platformName);
}
