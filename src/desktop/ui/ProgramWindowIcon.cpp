#include "desktop/ui/ProgramWindowIcon.h"

#include "desktop/ProgramIcon.h"

#include <QPixmap>

QIcon programWindowIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(paintProgramIcon(size, kIconReceiveLevel, kIconSendLevel)));
    return icon;
}
