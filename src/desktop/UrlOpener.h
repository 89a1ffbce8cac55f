#pragma once

#include <QUrl>

// Opens a web address or a local file with the desktop's program for it. The
// program passes the desktop services, tests a recorder. Failures are not reported.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};
