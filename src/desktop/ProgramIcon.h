#pragma once

#include <QImage>

// The program's icon at `size` pixels: the picture of data/icon/netzpegel.svg,
// with the receive and send bars at the heights given (0 to 1).
QImage paintProgramIcon(int size, double receiveLevel, double sendLevel);

// The launcher's bar heights.
constexpr double kIconReceiveLevel = 0.95;
constexpr double kIconSendLevel = 0.6;
