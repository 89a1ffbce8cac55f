#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

// Lets the user pick a colour, preset with `initial`; both as 0x00BBGGRR values.
// No value when the user cancels. Injectable so that tests never block on a dialog.
using WinColorChooser = std::function<std::optional<uint32_t>(QWidget* parent, uint32_t initial)>;

// The program's colour dialog: the application-wide custom colours are preset
// once to the graph's default colours, red, blue and white.
std::optional<uint32_t> chooseWinColor(QWidget* parent, uint32_t initial);
