#include "graph/WinColor.h"

QColor winColorToQColor(uint32_t winColor)
{
    return QColor::fromRgb(winColorToRgb(winColor));
}

QRgb winColorToRgb(uint32_t winColor)
{
    const int red = winColor & 0xff;
    const int green = (winColor >> 8) & 0xff;
    const int blue = (winColor >> 16) & 0xff;
    return qRgb(red, green, blue);
}

uint32_t qColorToWinColor(const QColor& color)
{
    const QRgb rgb = color.rgb();
    return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8)
        | (static_cast<uint32_t>(qBlue(rgb)) << 16);
}
