#include "desktop/ui/WindowBehaviour.h"

#include "desktop/NotificationArea.h"
#include "desktop/WindowPlacement.h"
#include "desktop/ui/TaskbarHint.h"
#include "graph/Snapping.h"
#include "graph/ui/TGraphenform.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>

WindowBehaviour::WindowBehaviour(QWidget& main, const std::vector<TGraphenform*>& graphs,
                                 const NotificationArea* area)
    : m_main(main)
    , m_graphs(graphs)
    , m_area(area)
    , m_iconShown(area && area->available())
{
}

bool WindowBehaviour::trayPresent() const
{
    // Until the icon is shown in it, hiding into a notification area would lose the window.
    return m_iconShown && m_area->available();
}

bool WindowBehaviour::adoptNotificationArea()
{
    if (m_iconShown || !m_area || !m_area->available())
        return false;
    m_iconShown = true;
    const bool visible = m_main.isVisible();
    const bool minimised = m_main.isMinimized();
    const QRect place = m_main.geometry();
    // New flags make a new native window, hidden; it comes back where it was. One
    // minimised into the taskbar goes into the icon instead, as a hidden window does.
    m_main.setWindowFlags(mainWindowFlags(true));
    m_main.setGeometry(place);
    if (visible && !minimised)
        m_main.show();
    else
        m_main.setWindowState(m_main.windowState() & ~Qt::WindowMinimized);
    return true;
}

Qt::WindowFlags WindowBehaviour::mainWindowFlags(bool tray)
{
    const Qt::WindowFlags frame = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint;
    return (tray ? Qt::Tool : Qt::Window) | frame;
}

void WindowBehaviour::placeMain(const QPoint& topLeft)
{
    m_main.adjustSize();
    QRect wanted(topLeft, m_main.size());
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && !screens.isEmpty())
        wanted.moveTopLeft(reachablePosition(wanted, screens, primary->availableGeometry()));
    const QScreen* screen = QGuiApplication::screenAt(wanted.topLeft());
    if (!screen)
        screen = primary;
    // At first start (0/0) or on a screen that went away, the title bar would be above
    // the screen: then the frame is placed, which the window manager does once it made it.
    if (const auto frame = screen ? titleBarFramePlace(wanted, screen->availableGeometry()) : std::nullopt) {
        placeFrame(m_main, *frame);
        return;
    }
    // Placed and saved by the inner area: before the window manager framed the
    // window, only the inner area can be placed exactly.
    m_main.setGeometry(wanted);
}

QPoint WindowBehaviour::mainPosition() const
{
    return m_main.geometry().topLeft();
}

bool WindowBehaviour::mainShown() const
{
    return m_main.isVisible() && !m_main.isMinimized();
}

void WindowBehaviour::mainShowing()
{
    // Once the window is asked to map; the window manager reads the hint then or takes it as a request.
    if (m_iconShown)
        QMetaObject::invokeMethod(&m_main, [this] { skipTaskbar(m_main); }, Qt::QueuedConnection);
}

void WindowBehaviour::applyStartVisibility(bool visible)
{
    if (visible)
        m_main.show();
    else if (!trayPresent())
        m_main.showMinimized();
}

void WindowBehaviour::toggleMain()
{
    if (mainShown())
        hideMain();
    else
        showMain();
}

void WindowBehaviour::iconClicked()
{
    if (mainShown() && m_main.isActiveWindow())
        hideMain();
    else
        showMain();
}

void WindowBehaviour::hideMain()
{
    if (trayPresent())
        m_main.hide();
    else
        m_main.showMinimized();
}

void WindowBehaviour::showMain()
{
    m_main.setWindowState(m_main.windowState() & ~Qt::WindowMinimized);
    m_main.show();
    m_main.raise();
    m_main.activateWindow();
}

void WindowBehaviour::minimiseAll()
{
    hideMain();
    for (TGraphenform* w : m_graphs)
        if (w->isVisible())
            w->setWindowState(w->windowState() | Qt::WindowMinimized);
}

void WindowBehaviour::restoreAll()
{
    showMain();
    restoreGraphs();
}

void WindowBehaviour::restoreGraphs()
{
    for (TGraphenform* w : m_graphs)
        if (w->isVisible() && w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
}

void WindowBehaviour::mainStateChanged(Qt::WindowStates before)
{
    const bool minimised = m_main.isMinimized();
    if (minimised && trayPresent() && m_main.isActiveWindow()) {
        // Minimising hides into the icon instead; the icon brings it back.
        m_main.setWindowState(m_main.windowState() & ~Qt::WindowMinimized);
        QMetaObject::invokeMethod(&m_main, &QWidget::hide, Qt::QueuedConnection);
        return;
    }
    // Without the icon the graph windows have no way back but with the main window.
    if (!minimised && before.testFlag(Qt::WindowMinimized) && !trayPresent())
        restoreGraphs();
}
