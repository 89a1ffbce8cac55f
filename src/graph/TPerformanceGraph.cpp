#include "graph/TPerformanceGraph.h"

#include "graph/WinColor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Pixel distances beyond this are off the image anyway; keeps the rectangle
// arithmetic inside int for any value/scale ratio.
constexpr double kPixelLimit = 1 << 28;

int positiveMod(int value, int modulus)
{
    const int r = value % modulus;
    return r < 0 ? r + modulus : r;
}

} // namespace

TPerformanceGraph::TPerformanceGraph()
{
    m_history.resize(GetBandCount() + 2);
    Initialize(m_gridSize - 1);
}

void TPerformanceGraph::SetGraphKind(TGraphKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    Replay();
}

void TPerformanceGraph::SetForeColor(uint32_t color)
{
    if (color == m_foreColor)
        return;
    m_foreColor = color;
    Replay();
}

void TPerformanceGraph::SetBackColor(uint32_t color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    Replay();
}

void TPerformanceGraph::SetGradient(int gradient)
{
    if (gradient == m_gradient)
        return;
    m_gradient = gradient;
    Replay();
}

void TPerformanceGraph::SetGridlines(bool on)
{
    if (on == m_gridlines)
        return;
    m_gridlines = on;
    Replay();
}

void TPerformanceGraph::SetGridSize(int size)
{
    if (size == m_gridSize)
        return;
    m_gridSize = std::max(size, 2);
    Replay();
}

void TPerformanceGraph::SetStepSize(int size)
{
    if (size == m_stepSize)
        return;
    m_stepSize = std::max(size, 1);
    ReallocHistory();
    Replay();
}

void TPerformanceGraph::SetPenWidth(int width)
{
    if (width == m_penWidth)
        return;
    m_penWidth = width;
    Replay();
}

void TPerformanceGraph::SetScale(int scale)
{
    if (scale == m_scale)
        return;
    m_scale = RoundUp(scale, m_gradient);
    if (OnScaleChange)
        OnScaleChange(*this);
    Replay();
}

void TPerformanceGraph::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    Paint();
}

int TPerformanceGraph::GetBandCount() const
{
    return m_width / m_stepSize;
}

int TPerformanceGraph::RoundUp(int value, int step)
{
    if (step == 0 || static_cast<int64_t>(value) % step == 0)
        return value;
    // Done wide and saturated: a rate near the top of the range must not wrap negative.
    const int64_t rounded = (static_cast<int64_t>(value) / step + 1) * step;
    return static_cast<int>(std::clamp<int64_t>(rounded, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

void TPerformanceGraph::DataPoint(uint32_t color, int32_t value)
{
    HistoryColumn& column = m_history[m_currentY];
    if (column.Count >= MaxPoints)
        throw std::out_of_range("TPerformanceGraph::DataPoint: a column holds at most 16 points");
    column.Colors[column.Count] = color;
    column.Values[column.Count] = value;
    ++column.Count;
}

void TPerformanceGraph::Update()
{
    ScrollGraph();
    ShiftY();
    int largest = 0;
    for (const HistoryColumn& column : m_history)
        for (int i = 0; i < column.Count; ++i)
            largest = std::max(largest, column.Values[i]);
    const int newScale = RoundUp(largest, m_gradient);
    if (newScale == m_scale) {
        DisplayPoints(LastY(m_currentY));
        if (OnScroll)
            OnScroll(m_stepSize);
        else
            repaint();
    } else {
        SetScale(newScale);
    }
}

const QImage& TPerformanceGraph::Paint()
{
    const bool ringFits = HistorySize() == GetBandCount() + 2;
    const bool imageFits = m_image.width() == m_width && m_image.height() == m_height;
    if (!ringFits || !imageFits) {
        // The ring is checked on its own: a property change may already have
        // redrawn the image at the new size with the old ring.
        if (!ringFits)
            ReallocHistory();
        Replay();
    }
    return m_image;
}

void TPerformanceGraph::Initialize(int firstGridX)
{
    if (m_image.width() != m_width || m_image.height() != m_height)
        m_image = QImage(m_width, m_height, QImage::Format_RGB32);
    RasterOps::fillRect(m_image, {0, 0, m_width, m_height}, winColorToRgb(m_backColor));
    if (m_gridlines) {
        const QRgb fore = winColorToRgb(m_foreColor);
        drawHorizontalGrid(0, m_width);
        int x = firstGridX;
        for (; x < m_width; x += m_gridSize)
            RasterOps::line(m_image, x, 0, x, m_height, fore);
        m_gridPhase = x - m_width;
    }
    setRectangles();
}

void TPerformanceGraph::ScrollGraph()
{
    // The scroll source is the whole picture less the new strip, which is filled next.
    RasterOps::shiftLeft(m_image, m_stepSize);
    RasterOps::fillRect(m_image, m_newStrip, winColorToRgb(m_backColor));
    if (!m_gridlines)
        return;
    drawHorizontalGrid(m_newStrip.left, m_newStrip.right);
    m_gridPhase -= m_stepSize;
    // A loop rather than a single check: with a step wider than the grid more
    // than one line falls into the strip, and the phase must not drift.
    const QRgb fore = winColorToRgb(m_foreColor);
    while (m_gridPhase < 0) {
        const int x = m_width + m_gridPhase;
        RasterOps::line(m_image, x, 0, x, m_height, fore);
        m_gridPhase += m_gridSize;
    }
}

void TPerformanceGraph::DisplayPoints(int column)
{
    const HistoryColumn& points = m_history[column];
    int64_t base = 0;
    for (int i = 0; i < points.Count; ++i) {
        const int32_t value = points.Values[i];
        if (value == 0)
            continue;
        if (m_kind == pgBar) {
            PaintBar(points.Colors[i], base, value - base);
        } else if (m_kind == pgLine) {
            const HistoryColumn& previous = m_history[LastY(column)];
            int64_t from = 0;
            for (int k = 0; k < previous.Count; ++k) {
                if (previous.Colors[k] == points.Colors[i]) {
                    from = previous.Values[k];
                    break;
                }
            }
            PaintLine(points.Colors[i], from, value);
        }
        base = value;
    }
}

void TPerformanceGraph::PaintBar(uint32_t color, int64_t base, int64_t height)
{
    if (height == 0 || m_scale == 0)
        return;
    const int h = pixelsFor(static_cast<double>(height) / m_scale * m_height);
    const int hb = pixelsFor(static_cast<double>(base) / m_scale * m_height);
    if (h == 0)
        return;
    // h + 1 pixels tall, so a value equal to the scale fills the whole height.
    RasterOps::fillRect(m_image, {m_newStrip.left, m_height - hb - h - 1, m_newStrip.right, m_height - hb},
                        winColorToRgb(color));
}

void TPerformanceGraph::PaintLine(uint32_t color, int64_t from, int64_t to)
{
    if (m_scale == 0)
        return;
    const int y1 = m_height - pixelsFor(static_cast<double>(m_height) * from / m_scale);
    const int y2 = m_height - pixelsFor(static_cast<double>(m_height) * to / m_scale);
    RasterOps::line(m_image, m_newStrip.left, y1, m_newStrip.right, y2, winColorToRgb(color));
}

void TPerformanceGraph::Replay()
{
    Initialize(positiveMod(m_width + m_gridPhase, m_gridSize));
    const GraphRect saved = m_newStrip;
    int x = m_width % m_stepSize;
    for (int c = NextY(FirstY()); c != -1; c = NextY(c)) {
        m_newStrip = {x, 0, x + m_stepSize, m_height};
        DisplayPoints(c);
        x += m_stepSize;
    }
    repaint();
    m_newStrip = saved;
}

void TPerformanceGraph::ReallocHistory()
{
    const int size = GetBandCount() + 2;
    const int oldSize = HistorySize();
    const int skip = std::max(0, oldSize - size);
    std::vector<HistoryColumn> ring(size);
    int k = 0;
    for (int i = skip; i < oldSize; ++i)
        ring[k++] = m_history[(m_oldestY + i) % oldSize];
    m_history = std::move(ring);
    m_currentY = k - 1;
    m_oldestY = 0;
}

int TPerformanceGraph::NextY(int index) const
{
    const int next = (index + 1) % HistorySize();
    return next == m_oldestY ? -1 : next;
}

int TPerformanceGraph::LastY(int index) const
{
    return index == 0 ? HistorySize() - 1 : index - 1;
}

int TPerformanceGraph::ShiftY()
{
    m_currentY = (m_currentY + 1) % HistorySize();
    m_history[m_currentY].Count = 0;
    m_oldestY = (m_currentY + 1) % HistorySize();
    return m_currentY;
}

void TPerformanceGraph::setRectangles()
{
    m_imageRect = {0, 0, m_width, m_height};
    m_scrollSource = {m_stepSize, 0, m_width, m_height};
    m_scrollDest = {0, 0, m_width - m_stepSize, m_height};
    m_newStrip = {m_width - m_stepSize, 0, m_width, m_height};
}

void TPerformanceGraph::drawHorizontalGrid(int left, int right)
{
    const QRgb fore = winColorToRgb(m_foreColor);
    for (int y = m_gridSize; y < m_height; y += m_gridSize)
        RasterOps::line(m_image, left, y, right, y, fore);
}

void TPerformanceGraph::repaint()
{
    if (OnRepaint)
        OnRepaint();
}

int TPerformanceGraph::pixelsFor(double fraction) const
{
    if (std::isnan(fraction))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(fraction), -kPixelLimit, kPixelLimit));
}
