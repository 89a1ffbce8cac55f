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

    // Whether the icon is shown: decided once, when this object is made, as
    // the window's taskbar button is.
    bool iconShown() const { return m_iconShown; }
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

    // The "Visible" setting at start: shown, hidden into the icon, or minimised.
    void applyStartVisibility(bool visible);
    // Hide if shown, show if hidden (menu entry and left click on the icon).
    void toggleMain();
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
