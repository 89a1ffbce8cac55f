// The main window on the desktop: its menus, the notification-area icon,
// hiding and restoring the windows, help, about box, autostart and priority.
#include "app/TMainform.h"

#include "app/EinstellungenTab.h"
#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "desktop/Autostart.h"
#include "desktop/BasisPrio.h"
#include "desktop/Help.h"
#include "desktop/NotificationArea.h"
#include "desktop/ProcessPriority.h"
#include "desktop/UrlOpener.h"
#include "desktop/WindowPlacement.h"
#include "desktop/ui/ProgramWindowIcon.h"
#include "desktop/ui/TAboutBox.h"
#include "desktop/ui/TrayIcon.h"
#include "desktop/ui/WindowBehaviour.h"
#include "graph/ui/TGraphenform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace {

QAction* namedAction(QMenu* menu, const char* name)
{
    QAction* a = menu->addAction(QString::fromLatin1(name));
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

void TMainform::buildMenus()
{
    QMenu* datei = menuBar()->addMenu(QStringLiteral("Datei1"));
    datei->setObjectName(QStringLiteral("Datei1"));
    Minimieren1 = namedAction(datei, "Minimieren1");
    AllesMinimieren2 = namedAction(datei, "AllesMinimieren2");
    datei->addSeparator();
    Ende1 = namedAction(datei, "Ende1");

    QMenu* help = menuBar()->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("Hilfemenue1"));
    Hilfe1 = namedAction(help, "Hilfe1");
    Hilfe1->setShortcut(QKeySequence(Qt::Key_F1));
    Hilfe1->setShortcutContext(Qt::ApplicationShortcut);
    Update1 = namedAction(help, "Update1");
    Reportbug1 = namedAction(help, "Reportbug1");
    Info1 = namedAction(help, "Info1");
    Donate1 = namedAction(help, "Donate1");
    Debug1 = namedAction(help, "Debug1");
    Debug1->setShortcut(QKeySequence(Qt::Key_F2));
    Debug1->setVisible(false);

    Tray = new TrayIcon(this);
}

void TMainform::connectDesktop()
{
    connect(Minimieren1, &QAction::triggered, this, &TMainform::Minimieren1Click);
    connect(AllesMinimieren2, &QAction::triggered, this, &TMainform::AllesMinimieren2Click);
    connect(Ende1, &QAction::triggered, this, &QWidget::close);
    connect(Hilfe1, &QAction::triggered, this, &TMainform::Hilfe1Click);
    connect(Reportbug1, &QAction::triggered, this, &TMainform::Reportbug1Click);
    connect(Info1, &QAction::triggered, this, &TMainform::Info1Click);
    connect(Donate1, &QAction::triggered, this, &TMainform::Donate1Click);
    connect(Debug1, &QAction::triggered, this, &TMainform::Debug1Click);
    connect(Tray->allesMinimieren1, &QAction::triggered, this, &TMainform::allesMinimieren1Click);
    connect(Tray->Wiederherstellen1, &QAction::triggered, this, &TMainform::Wiederherstellen1Click);
    connect(Tray->Beenden2, &QAction::triggered, this, &QWidget::close);
    connect(Tray, &TrayIcon::clicked, this, &TMainform::CoolTrayIcon1Click);
    connect(TabSheet2->Autostart_CheckBox, &QCheckBox::clicked, this, &TMainform::Autostart_CheckBoxClick);
    connect(TabSheet2->Basisprio_TrackBar, &QSlider::valueChanged, this, &TMainform::Basisprio_TrackBarChange);
    Tray->showIfAvailable(m_windows->iconShown());
    // A panel may start after the program (autostart at logon): the icon goes there once it does.
    m_notificationAreaWatch = new QTimer(this);
    m_notificationAreaWatch->setObjectName(QStringLiteral("NotificationAreaWatch"));
    m_notificationAreaWatch->setInterval(kNotificationAreaPollMs);
    connect(m_notificationAreaWatch, &QTimer::timeout, this, &TMainform::checkNotificationArea);
    if (!m_windows->iconShown() && m_services.notificationArea) {
        // Where the desktop announces a new area, asking now and then is only a net.
        if (m_services.notificationArea->announce([this] { checkNotificationArea(); })) {
            m_notificationAreaPolls = kNotificationAreaQuickPolls;
            m_notificationAreaWatch->setInterval(kNotificationAreaLatePollMs);
        }
        m_notificationAreaWatch->start();
    }
}

void TMainform::createDesktopServices()
{
    // For every window of the program: graph windows, dialogs and message boxes too.
    QApplication::setWindowIcon(programWindowIcon());
    if (m_services.autostartFolder) {
        m_autostart = std::make_unique<Autostart>(*m_services.autostartFolder, m_verInfo->ProductName(),
                                                  QCoreApplication::applicationFilePath(),
                                                  m_verInfo->FileDescription());
    }
    TabSheet2->Autostart_CheckBox->setVisible(m_autostart != nullptr);
    refreshAutostart();
}

void TMainform::showAtStart()
{
    m_windows->applyStartVisibility(m_einstellungen.visible);
}

void TMainform::Minimieren1Click()
{
    m_windows->toggleMain();
}

void TMainform::AllesMinimieren2Click()
{
    m_windows->minimiseAll();
}

void TMainform::allesMinimieren1Click()
{
    m_windows->minimiseAll();
}

void TMainform::Wiederherstellen1Click()
{
    m_windows->restoreAll();
}

void TMainform::CoolTrayIcon1Click()
{
    m_windows->iconClicked();
}

void TMainform::checkNotificationArea()
{
    if (m_windows->adoptNotificationArea()) {
        Tray->showIfAvailable(true);
        m_notificationAreaWatch->stop();
        m_services.notificationArea->announce({});
    } else if (++m_notificationAreaPolls == kNotificationAreaQuickPolls) {
        m_notificationAreaWatch->setInterval(kNotificationAreaLatePollMs);
    }
}

void TMainform::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        m_windows->mainShowing();
    m_helpTopic = helpTopicForPage(PageControl1->currentIndex());
}

void TMainform::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    // F1 while hidden opens the start page.
    m_helpTopic.clear();
}

void TMainform::Hilfe1Click()
{
    if (m_services.opener)
        OpenHelp(m_einstellungen.hilfedatei, m_helpTopic, *m_services.opener);
}

void TMainform::Donate1Click()
{
    if (m_services.opener)
        OpenHelp(m_einstellungen.hilfedatei, QStringLiteral("donate.htm"), *m_services.opener);
}

void TMainform::Reportbug1Click()
{
    QString address;
    try {
        address = IniReadString(QStringLiteral("Variablen"), QStringLiteral("bugreport"), variablesFilePath());
    } catch (const IniError&) {
        return; // an unreadable variables file names no page
    }
    if (m_services.opener && !address.isEmpty())
        m_services.opener->open(QUrl(address));
}

void TMainform::Info1Click()
{
    TAboutBox::Texts texts;
    texts.caption = Info1->text();
    texts.productName = m_verInfo->ProductName();
    texts.fileVersion = m_verInfo->FileVersion();
    texts.legalCopyright = m_verInfo->LegalCopyright();
    texts.dbVersion = m_verInfo->dbversion();
    try {
        texts.websiteUrl = IniReadString(QStringLiteral("Variablen"), QStringLiteral("URL"), variablesFilePath());
    } catch (const IniError&) {
    }
    // Window-modal without an event loop of its own: the timers keep running under it.
    auto* box = new TAboutBox(texts, m_services.opener, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TMainform::Debug1Click()
{
}

void TMainform::refreshAutostart()
{
    if (m_autostart)
        TabSheet2->Autostart_CheckBox->setChecked(m_autostart->isOn());
}

void TMainform::Autostart_CheckBoxClick(bool checked)
{
    if (!m_autostart)
        return;
    if (checked && !m_autostart->switchOn())
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error34")));
    else if (!checked && !m_autostart->switchOff())
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error35")));
    // The box shows what is there, also after a failure.
    if (!m_closed)
        refreshAutostart();
}

void TMainform::Basisprio_TrackBarChange(int position)
{
    applyBasisPrio(position, true);
}

void TMainform::applyBasisPrio(int position, bool asked)
{
    if (!m_services.priority || SetBasisPrio(position, *m_services.priority) != BasisPrioOutcome::Refused)
        return;
    // The bar shows where the process really runs, so that what is saved is true.
    const QSignalBlocker quiet(TabSheet2->Basisprio_TrackBar);
    TabSheet2->Basisprio_TrackBar->setValue(basisPrioForNice(m_services.priority->nice()));
    // Refused at start is the normal case without the privilege: only a move of the bar is answered.
    if (asked && !m_priorityRefusalTold) {
        m_priorityRefusalTold = true;
        message(MessageSink::Icon::Warning, m_sprache->error(QStringLiteral("Error41")));
    }
}

void TMainform::placeNewGraphWindow(size_t i)
{
    TGraphenform* w = g[i];
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Until the window manager has framed a window its frame is a guess: a title bar and thin borders.
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QMargins frame(1, title, 1, 1);
    QList<QRect> taken;
    for (size_t k = 0; k < g.size(); ++k)
        if (k != i && g[k]->isVisible())
            taken << g[k]->outerRect(frame);
    const QRect outer = w->outerRect(frame);
    const QPoint place = stackedGraphWindowPlace(screen->availableGeometry(), outer.size(), taken);
    w->placeInnerArea(place + (w->geometry().topLeft() - outer.topLeft()));
    v[i]->links = w->geometry().x();
    v[i]->oben = w->geometry().y();
    v[i]->save_settings();
}

void TMainform::updateTray()
{
    const TrayTraffic traffic = trayTraffic(v);
    const long double scale = m_trayScale.update(traffic);
    Tray->setLevels(trayBarFraction(traffic.rateReceived, scale), trayBarFraction(traffic.rateSent, scale));
    if (!m_verInfo || !m_sprache)
        return;
    QString tip = trayToolTip(m_verInfo->ProductName(), m_verInfo->FileVersion(), traffic, Umrechnungsfaktor, *m_sprache);
    // The plan nearest its limit, the one a user must watch.
    if (!m_nearestPlanLine.isEmpty())
        tip += QLatin1Char('\n') + m_nearestPlanLine;
    Tray->setToolTip(tip);
}
