#include "graph/ui/WinColorDialog.h"

#include "graph/WinColor.h"

#include <QColorDialog>
#include <QPointer>

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
    // On the heap: a parent closed while the dialog is open deletes it, and a
    // dialog on the stack would then be freed twice.
    QPointer<QColorDialog> dialog = new QColorDialog(winColorToQColor(initial), parent);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return std::nullopt;
    const QColor chosen = dialog->selectedColor();
    delete dialog;
    if (!accepted || !chosen.isValid())
        return std::nullopt;
    return qColorToWinColor(chosen);
}
