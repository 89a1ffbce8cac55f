#pragma once

#include "desktop/UrlOpener.h"

#include <QList>

// Keeps every address the program asked to open.
class RecordingUrlOpener : public UrlOpener
{
public:
    void open(const QUrl& url) override { opened << url; }
    QList<QUrl> opened;
};
