#include "graph/ui/WinColorDialog.h"

#include "graph/WinColor.h"

#include <QColorDialog>

namespace {

void presetCustomColors()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const uint32_t preset[] = {0xF67173, 0xFF8179, 0xFF0000, 0x0000FF};
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, winColorToQColor(i < 4 ? preset[i] : 0xFFFFFF));
}

} // namespace

std::optional<uint32_t> chooseWinColor(QWidget* parent, uint32_t initial)
{
    presetCustomColors();
    const QColor chosen = QColorDialog::getColor(winColorToQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return qColorToWinColor(chosen);
}
