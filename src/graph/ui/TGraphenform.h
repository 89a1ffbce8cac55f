#pragma once

#include "graph/TPerformanceGraph.h"
#include "graph/ui/PerformanceGraphWidget.h"
#include "graph/ui/WinColorDialog.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class TNic;
class TSprache;

// The live graph window of one adapter: receive and send rates as a scrolling
// bar graph, the full-scale value, rates and day totals in two status bars.
// Closing it only hides it; it has no taskbar button.
class TGraphenform : public QWidget
{
    Q_OBJECT
public:
    static constexpr int OnTopIntervalMs = 100;
    // A move or resize is snapped once the window has rested this long.
    static constexpr int SnapSettleMs = 100;
    // Opacity of T00 ... T100; the first entry switches translucency off.
    static constexpr std::array<int, 11> TransparenzOpacity{255, 225, 200, 175, 150, 127, 100, 75, 50, 25, 0};

    explicit TGraphenform(QWidget* parent = nullptr);

    // A move or resize waits to be snapped to the work area.
    bool snapPending() const;

    TPerformanceGraph& graph() { return PerformanceGraph1->graph(); }
    const TPerformanceGraph& graph() const { return PerformanceGraph1->graph(); }

    // Start-up: graph gradient and colours, geometry, translucency, visibility
    // and on-top state from the adapter's settings. Remembers `nic` for the
    // bar colour entries of the menu; it must outlive this window.
    void configureFrom(TNic& nic);
    // Shutdown: the window's state back into the adapter's settings.
    void copyTo(TNic& nic) const;
    // One tick for an adapter whose graph is shown: both rates into the graph,
    // the status-bar texts from its rates and totals.
    void feed(const TNic& nic, const int& base, const TSprache& sprache);
    // Menu captions from the language file; also the texts MaxLabel formats with.
    void SpracheAnwenden(const TSprache& sprache);

    void setNic(TNic* nic) { m_nic = nic; }
    TNic* nic() const { return m_nic; }
    void setColorChooser(WinColorChooser chooser) { m_chooseColor = std::move(chooser); }

    // Translucency switch and opacity (0 transparent ... 255 opaque).
    bool translucent() const { return m_translucent; }
    int opacityValue() const { return m_opacity; }
    void setTranslucent(bool on);
    void setOpacityValue(int value);

    // As the settings tab's on-top box: starts or stops the periodic raising;
    // stopping leaves the window where it is in the stacking order.
    void setOnTop(bool on);
    bool onTop() const;

    // Moves the window's outer frame to `topLeft`, snapped to the work area.
    void moveSnapped(const QPoint& topLeft);
    // Puts the inner area's top left corner at `topLeft`, where the settings
    // keep it: before the window manager has framed the window only the
    // inner area can be placed exactly.
    void placeInnerArea(const QPoint& topLeft);
    // The place the settings keep (`placeInnerArea`), unless that leaves the
    // title bar above the work area: then the frame goes to its top.
    void placeFromSettings(const QPoint& topLeft);
    // The outer rectangle; while the window has no frame yet, the inner area
    // grown by `frameEstimate`.
    QRect outerRect(const QMargins& frameEstimate) const;

    // Position the on-top timers raise their windows to: null for the top,
    // else the open context menu that must stay above them.
    static QWidget* OnTopInsertAfter();

    // Handlers, named after control and event.
    void PerformanceGraph1ScaleChange();
    void OnTopTimerTimer();
    void GraphenformPopupMenuPopup();
    void Vordergrund1Click();
    void TransparenzClick(int entry);
    void ForeColorSubmenu1Click();
    void BackColorSubmenu1Click();
    void SendColorSubmenu1Click();
    void RecvColorSubmenu1Click();

    PerformanceGraphWidget* PerformanceGraph1;
    QLabel* MaxLabel;
    QStatusBar* Raten_StatusBar;
    QStatusBar* Gesamt_StatusBar;
    QTimer* OnTopTimer;
    QMenu* GraphenformPopupMenu;
    QAction* Vordergrund1;
    QMenu* Transparenz1;
    std::array<QAction*, 11> T{}; // T00, T10, ... T100
    QMenu* Colors1;
    QAction* ForeColorSubmenu1;
    QAction* BackColorSubmenu1;
    QAction* SendColorSubmenu1;
    QAction* RecvColorSubmenu1;

    int SnapDistance = 15;
    int OnTopPauseInterval = 30000;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenu();
    void readVariables();
    void onVordergrund1Triggered(bool checked);
    void setStaysOnTop(bool on);
    void applyOpacity();
    QMargins currentFrame() const;
    void snapToWorkArea();
    void snapWhenSettled();
    void chooseGraphColor(bool fore);
    void chooseBarColor(bool send);

    static QPointer<QWidget> s_onTopInsertAfter;

    TNic* m_nic = nullptr;
    const TSprache* m_sprache = nullptr;
    int m_base = 1000;
    // The rates and totals the status bar texts were made from: an idle adapter's texts are
    // not formatted again every second.
    std::array<long double, 4> m_figures{};
    bool m_textsCurrent = false;
    QString m_ratesText;
    QString m_totalsText;
    bool m_translucent = false;
    int m_opacity = 255;
    bool m_snapping = false;
    QTimer* m_snapTimer;
    int m_frameWaits = 0;
    WinColorChooser m_chooseColor = chooseWinColor;
};
