#pragma once

#include <QPoint>
#include <QRect>
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

    // A notification area (trayer, an XEmbed tray host) on the top edge; empty
    // when it runs, else why not. Ended with the server.
    QString startTrayHost();
    // The id ("0x…") of the first window of `windowClass` embedded in the
    // notification area; empty when there is none.
    QString trayIcon(const QString& windowClass) const;

    // The id of the top-level window titled `title`; empty when there is none.
    QString windowId(const QString& title) const;
    // The value of `property` of window `id` as xprop prints it after " = "; empty when unset.
    QString property(const QString& id, const QString& property) const;
    // The outer rectangle of the window titled `title`: its inner area grown
    // by the frame the window manager reports; null before it is framed.
    QRect frame(const QString& title) const;
    // The work area of the first desktop, as the window manager announces it.
    QRect workArea() const;
    QString activeWindow() const;
    // Runs xdotool with `arguments` on this display; false when it failed.
    bool xdotool(const QStringList& arguments) const;
    // A left click into window `id` (at least 18 pixels wide and high).
    bool click(const QString& id);

private:
    // The environment of a program that is to run on this display.
    QProcessEnvironment onDisplay() const;
    QString tool(const QString& program, const QStringList& arguments, bool* ok = nullptr) const;

    bool startServer(int number);

    QTemporaryDir m_flags;
    QProcess m_server;
    QProcess m_windowManager;
    QProcess m_trayHost;
    QString m_display;
    QString m_unavailable;
    int m_clicks = 0;
};
