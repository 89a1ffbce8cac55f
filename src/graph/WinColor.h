#pragma once

#include <QColor>
#include <QRgb>
#include <cstdint>

// Colours are kept as the settings store them: 0x00BBGGRR, red in the lowest byte.
// The top byte (system colour marker) is ignored.
QColor winColorToQColor(uint32_t winColor);
QRgb winColorToRgb(uint32_t winColor);
uint32_t qColorToWinColor(const QColor& color);
