#include "desktop/PlatformChoice.h"

#include <gtest/gtest.h>

namespace {

TEST(PlatformChoice, WaylandRunsOnXWaylandUnlessTheUserChoseAPlatform)
{
    const struct
    {
        const char* what;
        DisplayEnvironment env;
        const char* platform; // "" = Qt's own choice
    } cases[] = {
        {"Wayland with XWayland", {"wayland-0", ":0", ""}, "xcb"},
        {"Wayland without XWayland", {"wayland-0", "", ""}, ""},
        {"Wayland, the user asks for Wayland", {"wayland-0", ":0", "wayland"}, ""},
        {"Wayland, the user asks for xcb", {"wayland-0", ":0", "xcb"}, ""},
        {"Wayland, offscreen asked for", {"wayland-0", ":1", "offscreen"}, ""},
        {"Wayland, an empty choice is none", {"wayland-0", ":0", " "}, "xcb"},
        {"plain X11", {"", ":0", ""}, ""},
        {"no display at all", {"", "", ""}, ""},
        {"no display, a platform asked for", {"", "", "offscreen"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseQpaPlatform(c.env), QString::fromLatin1(c.platform)) << c.what;
}

TEST(PlatformChoice, OnlyNativeWaylandWithholdsTheWindowFeaturesAndTheLogSaysWhich)
{
    for (const char* name : {"wayland", "wayland-egl", "wayland-brcm"})
        EXPECT_TRUE(platformWithholdsWindowFeatures(QString::fromLatin1(name))) << name;
    for (const char* name : {"xcb", "offscreen", "minimal", ""})
        EXPECT_FALSE(platformWithholdsWindowFeatures(QString::fromLatin1(name))) << name;
    const QString text = withheldWindowFeaturesText(QStringLiteral("wayland"));
    for (const char* feature : {"places", "on top", "taskbar", "DISPLAY"})
        EXPECT_TRUE(text.contains(QLatin1String(feature))) << feature;
}

} // namespace
