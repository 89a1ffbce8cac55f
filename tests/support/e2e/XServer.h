#pragma once

#include <QPoint>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A virtual X server (Xvfb) with a window manager (openbox) of the test's own,
// ended again when the object goes. Unavailable where either is not installed.
class XServer
{
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Empty when the server and its window manager run; else why not.
    QString unavailable() const { return m_unavailable; }
    QString display() const { return m_display; }

    struct Window
    {
        QPoint topLeft; // of the inner area, on the screen
        bool viewable = false;
    };
    // The top-level window titled `title`, as xwininfo sees it.
    Window window(const QString& title) const;

private:
    bool startServer(int number);

    QTemporaryDir m_flags;
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_unavailable;
};
