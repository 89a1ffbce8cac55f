#pragma once

#include <QString>
#include <vector>

// Line speed presets of the settings tab, in bytes per second.
struct SpeedPreset
{
    QString caption;
    int bytesPerSecond;
};

const std::vector<SpeedPreset>& speedPresets();
