#pragma once

#include <QPoint>
#include <Qt>

#include <functional>
#include <vector>

class NotificationArea;
class QWidget;
class TGraphenform;

// How the main window and the graph windows are hidden, minimised and brought
// back. With a notification area the main window has no taskbar button and
// hides into the icon; without one, hiding minimises, so no window is ever
// out of reach.
class WindowBehaviour
{
public:
    // `graphs` is the main window's list of graph windows; it must outlive this object.
    WindowBehaviour(QWidget& main, const std::vector<TGraphenform*>& graphs, const NotificationArea* area);

    // Whether the icon is shown: from the start when the notification area is
    // there, else from when it appears (adoptNotificationArea).
    bool iconShown() const { return m_iconShown; }
    // A notification area that was missing is there now (a panel that started
    // after the program): true once, and the main window gives up its taskbar
    // button as it would have at start.
    bool adoptNotificationArea();
    // Whether windows can hide into the icon now: it was shown and the
    // notification area is still there.
    bool trayPresent() const;
    // Fixed border, title and close button only; a tool window (no taskbar
    // button) when the icon is there.
    static Qt::WindowFlags mainWindowFlags(bool tray);

    // Puts the main window's inner area at `topLeft` (where it is saved), or
    // on the screen when that place is on no screen any more.
    void placeMain(const QPoint& topLeft);
    QPoint mainPosition() const;
    // Whether the main window counts as shown for the "Visible" setting.
    bool mainShown() const;

    // The main window is about to be mapped: with the icon, out of the taskbar.
    void mainShowing();

    // The "Visible" setting at start: shown, hidden into the icon, or minimised.
    void applyStartVisibility(bool visible);
    // Hide if shown, show if hidden (menu entry).
    void toggleMain();
    // A left click on the icon: hides the main window only when it is the
    // active one; one that is covered or hidden comes forward, active. Without
    // a taskbar button a covered window would otherwise take two clicks.
    void iconClicked();
    void hideMain();
    void showMain();
    // Main window hidden, every graph window minimised.
    void minimiseAll();
    // Main window shown, every graph window back from minimised.
    void restoreAll();
    // The main window's state changed: a minimise hides it into the icon, a
    // restore without the icon brings the graph windows back too.
    void mainStateChanged(Qt::WindowStates before);

private:
    void restoreGraphs();

    QWidget& m_main;
    const std::vector<TGraphenform*>& m_graphs;
    const NotificationArea* m_area;
    bool m_iconShown;
};
