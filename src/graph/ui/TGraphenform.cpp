#include "graph/ui/TGraphenform.h"

#include "acquisition/TNic.h"
#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "graph/Snapping.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <limits>

QPointer<QWidget> TGraphenform::s_onTopInsertAfter;

namespace {

constexpr int kStatusBarHeight = 19;
// Looks for a frame before a window counts as frameless (no window manager).
constexpr int kFrameWaits = 20;

// A rate as the graph takes it: truncated towards zero, held inside 32 bits.
int32_t graphValue(long double rate)
{
    if (std::isnan(rate))
        return 0;
    const long double t = std::trunc(rate);
    if (t >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (t <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

QString ulDl(const QString& up, const QString& down)
{
    return QStringLiteral("UL: ") + up + QStringLiteral(", DL: ") + down;
}

// The same text again would still repaint the bar.
void showIfNew(QStatusBar* bar, const QString& text)
{
    if (bar->currentMessage() != text)
        bar->showMessage(text);
}

} // namespace

TGraphenform::TGraphenform(QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("Graphenform"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);

    PerformanceGraph1 = new PerformanceGraphWidget(this);
    PerformanceGraph1->setObjectName(QStringLiteral("PerformanceGraph1"));
    TPerformanceGraph& g = PerformanceGraph1->graph();
    g.SetGraphKind(pgBar);
    g.SetForeColor(16150899);
    g.SetBackColor(16744825);
    g.SetGridSize(25);
    g.SetStepSize(1);
    g.SetScale(100);
    g.SetGradient(0);
    // Wired last, so the label stays empty until the first scale change.
    g.OnScaleChange = [this](TPerformanceGraph&) { PerformanceGraph1ScaleChange(); };

    MaxLabel = new QLabel(PerformanceGraph1);
    MaxLabel->setObjectName(QStringLiteral("MaxLabel"));
    MaxLabel->setAlignment(Qt::AlignCenter);
    MaxLabel->setAutoFillBackground(true);
    MaxLabel->setMaximumHeight(14);
    QFont small = MaxLabel->font();
    small.setPixelSize(11);
    MaxLabel->setFont(small);
    MaxLabel->move(0, 0);

    Raten_StatusBar = new QStatusBar(this);
    Raten_StatusBar->setObjectName(QStringLiteral("Raten_StatusBar"));
    Raten_StatusBar->setSizeGripEnabled(false);
    Raten_StatusBar->setFixedHeight(kStatusBarHeight);
    Gesamt_StatusBar = new QStatusBar(this);
    Gesamt_StatusBar->setObjectName(QStringLiteral("Gesamt_StatusBar"));
    Gesamt_StatusBar->setSizeGripEnabled(true);
    Gesamt_StatusBar->setFixedHeight(kStatusBarHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PerformanceGraph1, 1);
    layout->addWidget(Raten_StatusBar);
    layout->addWidget(Gesamt_StatusBar);
    resize(275, 195 + 2 * kStatusBarHeight);

    m_snapTimer = new QTimer(this);
    m_snapTimer->setSingleShot(true);
    m_snapTimer->setInterval(SnapSettleMs);
    connect(m_snapTimer, &QTimer::timeout, this, &TGraphenform::snapToWorkArea);

    OnTopTimer = new QTimer(this);
    OnTopTimer->setObjectName(QStringLiteral("OnTopTimer"));
    OnTopTimer->setInterval(OnTopIntervalMs);
    connect(OnTopTimer, &QTimer::timeout, this, &TGraphenform::OnTopTimerTimer);

    buildMenu();
    readVariables();
}

void TGraphenform::buildMenu()
{
    GraphenformPopupMenu = new QMenu(this);
    GraphenformPopupMenu->setObjectName(QStringLiteral("GraphenformPopupMenu"));
    connect(GraphenformPopupMenu, &QMenu::aboutToShow, this, &TGraphenform::GraphenformPopupMenuPopup);

    Vordergrund1 = GraphenformPopupMenu->addAction(QString());
    Vordergrund1->setObjectName(QStringLiteral("Vordergrund1"));
    Vordergrund1->setCheckable(true);
    connect(Vordergrund1, &QAction::triggered, this, &TGraphenform::onVordergrund1Triggered);

    Transparenz1 = GraphenformPopupMenu->addMenu(QString());
    Transparenz1->setObjectName(QStringLiteral("Transparenz1"));
    for (int i = 0; i < static_cast<int>(T.size()); ++i) {
        // Radio entries that never mark themselves as chosen: plain actions.
        T[i] = Transparenz1->addAction(QStringLiteral("%1%").arg(i * 10));
        T[i]->setObjectName(QStringLiteral("T%1").arg(i * 10, 2, 10, QLatin1Char('0')));
        connect(T[i], &QAction::triggered, this, [this, i] { TransparenzClick(i); });
    }

    Colors1 = GraphenformPopupMenu->addMenu(QString());
    Colors1->setObjectName(QStringLiteral("Colors1"));
    ForeColorSubmenu1 = Colors1->addAction(QString());
    ForeColorSubmenu1->setObjectName(QStringLiteral("ForeColorSubmenu1"));
    BackColorSubmenu1 = Colors1->addAction(QString());
    BackColorSubmenu1->setObjectName(QStringLiteral("BackColorSubmenu1"));
    SendColorSubmenu1 = Colors1->addAction(QString());
    SendColorSubmenu1->setObjectName(QStringLiteral("SendColorSubmenu1"));
    RecvColorSubmenu1 = Colors1->addAction(QString());
    RecvColorSubmenu1->setObjectName(QStringLiteral("RecvColorSubmenu1"));
    connect(ForeColorSubmenu1, &QAction::triggered, this, &TGraphenform::ForeColorSubmenu1Click);
    connect(BackColorSubmenu1, &QAction::triggered, this, &TGraphenform::BackColorSubmenu1Click);
    connect(SendColorSubmenu1, &QAction::triggered, this, &TGraphenform::SendColorSubmenu1Click);
    connect(RecvColorSubmenu1, &QAction::triggered, this, &TGraphenform::RecvColorSubmenu1Click);
}

void TGraphenform::readVariables()
{
    const QString section = QStringLiteral("Variablen");
    try {
        SnapDistance = IniReadInteger(section, QStringLiteral("snapentfernung"), 15, variablesFilePath());
        OnTopPauseInterval = IniReadInteger(section, QStringLiteral("OnTopTimer_Interval"), 30000, variablesFilePath());
    } catch (const IniError&) {
        // An unreadable variables file leaves the defaults.
    }
    if (OnTopPauseInterval <= 0)
        OnTopPauseInterval = 30000;
}

void TGraphenform::configureFrom(TNic& nic)
{
    m_nic = &nic;
    TPerformanceGraph& g = graph();
    g.SetGradient(nic.maxspeed);
    resize(nic.breite, nic.hoehe);
    placeFromSettings(QPoint(nic.links, nic.oben));
    setTranslucent(nic.tranz);
    setOpacityValue(nic.tranz_wert);
    g.SetForeColor(nic.forecolor);
    g.SetBackColor(nic.backcolor);
    // The on-top state is taken for a hidden window too (its timer does
    // nothing while hidden), so that saving it at shutdown keeps the setting.
    setOnTop(nic.ontop);
    setVisible(nic.anzeigen_graph);
}

void TGraphenform::copyTo(TNic& nic) const
{
    nic.anzeigen_graph = isVisible();
    // The inner area, as it is placed again: a frame's position would move the
    // window by the frame's height at every restart.
    nic.links = geometry().x();
    nic.oben = geometry().y();
    nic.hoehe = height();
    nic.breite = width();
    nic.tranz = m_translucent;
    nic.tranz_wert = m_opacity;
    nic.ontop = onTop();
    nic.forecolor = graph().ForeColor();
    nic.backcolor = graph().BackColor();
}

void TGraphenform::feed(const TNic& nic, const int& base, const TSprache& sprache)
{
    const std::array<long double, 4> figures{nic.get_rate_send(), nic.get_rate_received(), nic.get_gesamt_send(),
                                             nic.get_gesamt_received()};
    if (!m_textsCurrent || figures != m_figures || base != m_base || &sprache != m_sprache) {
        m_ratesText = ulDl(FormatQuantity(figures[0], base, sprache), FormatQuantity(figures[1], base, sprache));
        m_totalsText = ulDl(FormatQuantity(figures[2], base, sprache), FormatQuantity(figures[3], base, sprache));
        m_figures = figures;
        m_textsCurrent = true;
    }
    m_base = base;
    m_sprache = &sprache;
    TPerformanceGraph& g = graph();
    g.SetGradient(nic.maxspeed);
    PerformanceGraph1->scrollOnce([&] {
        g.DataPoint(nic.recvgraph, graphValue(nic.get_rate_received()));
        g.Update();
        g.DataPoint(nic.sendgraph, graphValue(nic.get_rate_send()));
        g.Update();
    });
    showIfNew(Raten_StatusBar, m_ratesText);
    showIfNew(Gesamt_StatusBar, m_totalsText);
}

void TGraphenform::SpracheAnwenden(const TSprache& sprache)
{
    m_sprache = &sprache;
    m_textsCurrent = false; // the units may be named anew
    const QString graphenform = QStringLiteral("Graphenform");
    const QString tab = QStringLiteral("TabSheet2");
    Vordergrund1->setText(sprache.text(graphenform, QStringLiteral("Vordergrund1")));
    Transparenz1->setTitle(sprache.text(graphenform, QStringLiteral("Transparenz1")));
    Colors1->setTitle(sprache.text(graphenform, QStringLiteral("Colors1->Caption")));
    ForeColorSubmenu1->setText(sprache.text(tab, QStringLiteral("ForeColorButton->Caption")));
    BackColorSubmenu1->setText(sprache.text(tab, QStringLiteral("BackColorButton->Caption")));
    SendColorSubmenu1->setText(sprache.text(tab, QStringLiteral("SendColorButton->Caption")));
    RecvColorSubmenu1->setText(sprache.text(tab, QStringLiteral("RecvColorButton->Caption")));
}

void TGraphenform::setTranslucent(bool on)
{
    m_translucent = on;
    applyOpacity();
}

void TGraphenform::setOpacityValue(int value)
{
    m_opacity = std::clamp(value, 0, 255);
    applyOpacity();
}

void TGraphenform::applyOpacity()
{
    setWindowOpacity(m_translucent ? m_opacity / 255.0 : 1.0);
}

void TGraphenform::setOnTop(bool on)
{
    Vordergrund1->setChecked(on);
    if (on) {
        OnTopTimer->setInterval(OnTopIntervalMs);
        OnTopTimer->start();
    } else {
        OnTopTimer->stop();
    }
}

bool TGraphenform::onTop() const
{
    return OnTopTimer->isActive();
}

QWidget* TGraphenform::OnTopInsertAfter()
{
    return s_onTopInsertAfter.data();
}

void TGraphenform::PerformanceGraph1ScaleChange()
{
    const int scale = graph().Scale();
    MaxLabel->setText(m_sprache ? FormatQuantity(scale, m_base, *m_sprache) : QString::number(scale));
    MaxLabel->adjustSize();
}

void TGraphenform::OnTopTimerTimer()
{
    if (!isVisible())
        return;
    setStaysOnTop(true);
    raise();
    if (s_onTopInsertAfter && s_onTopInsertAfter->isVisible())
        s_onTopInsertAfter->raise();
    if (OnTopTimer->interval() == OnTopPauseInterval) {
        OnTopTimer->setInterval(OnTopIntervalMs);
        s_onTopInsertAfter = nullptr;
    }
    Vordergrund1->setChecked(true);
}

void TGraphenform::GraphenformPopupMenuPopup()
{
    if (!OnTopTimer->isActive())
        return;
    OnTopTimer->setInterval(OnTopPauseInterval);
    s_onTopInsertAfter = GraphenformPopupMenu;
}

void TGraphenform::Vordergrund1Click()
{
    Vordergrund1->trigger();
}

void TGraphenform::onVordergrund1Triggered(bool checked)
{
    setOnTop(checked);
    if (!checked)
        setStaysOnTop(false);
}

void TGraphenform::setStaysOnTop(bool on)
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = isVisible();
    const QPoint where = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the flags hides the window; it comes back where it was, not activated.
    move(where);
    if (visible)
        show();
}

void TGraphenform::TransparenzClick(int entry)
{
    if (entry < 0 || entry >= static_cast<int>(TransparenzOpacity.size()))
        return;
    m_translucent = entry != 0;
    m_opacity = TransparenzOpacity[entry];
    applyOpacity();
}

void TGraphenform::ForeColorSubmenu1Click() { chooseGraphColor(true); }
void TGraphenform::BackColorSubmenu1Click() { chooseGraphColor(false); }
void TGraphenform::SendColorSubmenu1Click() { chooseBarColor(true); }
void TGraphenform::RecvColorSubmenu1Click() { chooseBarColor(false); }

void TGraphenform::chooseGraphColor(bool fore)
{
    TPerformanceGraph& g = graph();
    const auto chosen = m_chooseColor(this, fore ? g.ForeColor() : g.BackColor());
    if (!chosen)
        return;
    if (fore)
        g.SetForeColor(*chosen);
    else
        g.SetBackColor(*chosen);
}

void TGraphenform::chooseBarColor(bool send)
{
    if (!m_nic)
        return;
    uint32_t& color = send ? m_nic->sendgraph : m_nic->recvgraph;
    if (const auto chosen = m_chooseColor(this, color))
        color = *chosen;
}

void TGraphenform::moveSnapped(const QPoint& topLeft)
{
    const QMargins frame = currentFrame();
    QRect target(topLeft, size().grownBy(frame));
    if (QScreen* s = screen())
        target = SnapToWorkArea(target, s->availableGeometry(), SnapDistance);
    m_snapping = true;
    placeInnerArea(target.topLeft() + QPoint(frame.left(), frame.top()));
    m_snapping = false;
}

void TGraphenform::placeInnerArea(const QPoint& topLeft)
{
    // The move event snaps the frame; a window not shown yet gets it when shown.
    setGeometry(QRect(topLeft, size()));
}

void TGraphenform::placeFromSettings(const QPoint& topLeft)
{
    const QScreen* s = QGuiApplication::screenAt(topLeft);
    if (!s)
        s = QGuiApplication::primaryScreen();
    const auto frame = s ? titleBarFramePlace(QRect(topLeft, size()), s->availableGeometry()) : std::nullopt;
    if (!frame) {
        placeInnerArea(topLeft);
        return;
    }
    // Before the window exists, a move places its frame once the window manager has made it.
    if (!testAttribute(Qt::WA_WState_Created))
        move(*frame);
    else
        moveSnapped(*frame);
}

QRect TGraphenform::outerRect(const QMargins& frameEstimate) const
{
    const QMargins frame = currentFrame();
    return geometry().marginsAdded(frame.isNull() ? frameEstimate : frame);
}

QMargins TGraphenform::currentFrame() const
{
    // Asked of the window system each time: the widget's own copy follows
    // only move and resize events, and a frame that settles without moving
    // the inner area sends none.
    const QWindow* handle = windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void TGraphenform::snapToWorkArea()
{
    // A hidden or minimised window is snapped when it comes back.
    if (!isVisible() || isMinimized())
        return;
    // The window manager maps a window once its frame is finished. Before
    // that the frame can read as the client sitting at its corner (no left
    // or top border, all of it right and below), and a snap then leaves the
    // window a pixel off the edge. The frame comes without an event of its
    // own: look again a little later; with no frame at all, snap the inner area.
    const QMargins frame = currentFrame();
    const bool framed = windowHandle() && windowHandle()->isExposed() && !frame.isNull();
    if (!framed && ++m_frameWaits <= kFrameWaits) {
        m_snapTimer->start();
        return;
    }
    m_frameWaits = 0;
    moveSnapped(geometry().topLeft() - QPoint(frame.left(), frame.top()));
}

void TGraphenform::snapWhenSettled()
{
    // A window manager passes through positions of its own while it frames a
    // window or the user drags it: only where it comes to rest counts.
    if (!m_snapping)
        m_snapTimer->start();
}

bool TGraphenform::snapPending() const { return m_snapTimer->isActive(); }

void TGraphenform::contextMenuEvent(QContextMenuEvent* event)
{
    GraphenformPopupMenu->popup(event->globalPos());
}

void TGraphenform::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    snapWhenSettled();
}

void TGraphenform::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    snapWhenSettled();
}
