#include "desktop/DesktopUrlOpener.h"

#include <QDesktopServices>

void DesktopUrlOpener::open(const QUrl& url)
{
    if (url.isValid() && !url.isEmpty())
        QDesktopServices::openUrl(url);
}
