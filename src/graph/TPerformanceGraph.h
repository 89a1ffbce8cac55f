#pragma once

#include "graph/RasterOps.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

enum TGraphKind { pgBar = 0, pgLine = 1 };

// Scrolling strip chart. Data points (colour, value) are collected per column;
// each Update closes the column, scrolls the picture one step to the left and
// draws the closed column at the right edge. The scale follows the largest
// value still held, rounded up to a multiple of Gradient. The picture lives in
// an off-screen image; Paint hands it to whatever shows it.
class TPerformanceGraph
{
public:
    static constexpr int MaxPoints = 16;

    struct HistoryColumn
    {
        int Count = 0;
        std::array<uint32_t, MaxPoints> Colors{};
        std::array<int32_t, MaxPoints> Values{};
    };

    TPerformanceGraph();

    // Properties. Colours are 0x00BBGGRR values.
    TGraphKind Kind() const { return m_kind; }
    uint32_t ForeColor() const { return m_foreColor; }
    uint32_t BackColor() const { return m_backColor; }
    int GridSize() const { return m_gridSize; }
    int StepSize() const { return m_stepSize; }
    int Scale() const { return m_scale; }
    int Gradient() const { return m_gradient; }
    bool Gridlines() const { return m_gridlines; }
    int PenWidth() const { return m_penWidth; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void SetGraphKind(TGraphKind kind);
    void SetForeColor(uint32_t color);
    void SetBackColor(uint32_t color);
    void SetGradient(int gradient);
    void SetGridlines(bool on);
    void SetGridSize(int size);
    void SetStepSize(int size);
    void SetPenWidth(int width);
    void SetScale(int scale);

    // Size of the control. Ring and picture follow at once.
    void SetSize(int width, int height);

    // Called with the sender whenever a new scale value is set.
    std::function<void(TPerformanceGraph&)> OnScaleChange;
    // Called whenever the control should show the image again.
    std::function<void()> OnRepaint;
    // Called instead when the picture only moved `pixels` to the left and a new strip was
    // drawn at the right edge, so the control can move what it shows and draw the strip.
    std::function<void(int pixels)> OnScroll;

    int GetBandCount() const;
    static int RoundUp(int value, int step);

    // Adds a point to the current column; throws std::out_of_range for a 17th.
    void DataPoint(uint32_t color, int32_t value);
    void Update();

    // The image to copy onto the control; brought to the control's size first.
    const QImage& Paint();
    const QImage& image() const { return m_image; }

    // Drawing steps, public so that each can be checked on its own.
    void Initialize(int firstGridX);
    void ScrollGraph();
    void DisplayPoints(int column);
    void PaintBar(uint32_t color, int64_t base, int64_t height);
    void PaintLine(uint32_t color, int64_t from, int64_t to);
    void Replay();
    void ReallocHistory();

    // Ring navigation.
    int FirstY() const { return m_oldestY; }
    int NextY(int index) const;
    int LastY(int index) const;
    int ShiftY();

    int CurrentY() const { return m_currentY; }
    int OldestY() const { return m_oldestY; }
    int HistorySize() const { return static_cast<int>(m_history.size()); }
    const HistoryColumn& Column(int index) const { return m_history.at(index); }
    int GridPhase() const { return m_gridPhase; }

    GraphRect ImageRect() const { return m_imageRect; }
    GraphRect ScrollSource() const { return m_scrollSource; }
    GraphRect ScrollDest() const { return m_scrollDest; }
    GraphRect NewStrip() const { return m_newStrip; }

private:
    void setRectangles();
    void drawHorizontalGrid(int left, int right);
    void repaint();
    // A value's distance from the bottom edge in pixels, safe for any scale.
    int pixelsFor(double fraction) const;

    TGraphKind m_kind = pgLine;
    uint32_t m_foreColor = 0x8000;
    uint32_t m_backColor = 0;
    int m_gridSize = 15;
    int m_stepSize = 3;
    int m_scale = 1000;
    int m_gradient = 100;
    bool m_gridlines = true;
    int m_penWidth = 2;
    int m_width = 100;
    int m_height = 100;

    QImage m_image;
    std::vector<HistoryColumn> m_history;
    int m_currentY = 0;
    int m_oldestY = 1;
    int m_gridPhase = 0;

    GraphRect m_imageRect;
    GraphRect m_scrollSource;
    GraphRect m_scrollDest;
    GraphRect m_newStrip;
};
