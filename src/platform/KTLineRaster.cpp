#include "platform/KTLineRaster.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Coordinates far outside any device are held here before they become ints; the bounds
// check drops them anyway.
constexpr double kFar = 1.0e7;

int FloorClamped(double v)
{
    return static_cast<int>(std::floor(std::clamp(v, -kFar, kFar)));
}

int CeilClamped(double v)
{
    return static_cast<int>(std::ceil(std::clamp(v, -kFar, kFar)));
}

// source x alpha + destination x (255 - alpha), all four channels, each rounded as a division
// by 255; two channels at a time in the even and odd bytes.
QRgb Interpolate(QRgb source, unsigned alpha, QRgb destination)
{
    const unsigned rest = 255 - alpha;
    unsigned even = (source & 0xFF00FFu) * alpha + (destination & 0xFF00FFu) * rest;
    even = ((even + ((even >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
    unsigned odd = ((source >> 8) & 0xFF00FFu) * alpha + ((destination >> 8) & 0xFF00FFu) * rest;
    odd = (odd + ((odd >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
    return odd | even;
}

bool IsFinite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

} // namespace

void KTLineRaster::Begin(const QRect& bounds, double width)
{
    m_bounds = bounds.normalized();
    m_radius = std::max(0.0, width) / 2 + 0.5;
    m_columns = m_bounds.isEmpty() ? 0 : (m_bounds.width() + TileSize - 1) / TileSize;
    m_rows = m_bounds.isEmpty() ? 0 : (m_bounds.height() + TileSize - 1) / TileSize;
    m_grid.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), -1);
    m_used.clear();
}

std::uint8_t* KTLineRaster::Tile(int tx, int ty)
{
    int& slot = m_grid[static_cast<std::size_t>(ty) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(tx)];
    if (slot < 0) {
        slot = static_cast<int>(m_used.size());
        m_used.push_back(ty * m_columns + tx);
        const std::size_t needed = m_used.size() * TileSize * TileSize;
        if (m_coverage.size() < needed)
            m_coverage.resize(needed);
        std::fill_n(m_coverage.begin() + static_cast<std::ptrdiff_t>(needed - TileSize * TileSize), TileSize * TileSize,
                    std::uint8_t{0});
    }
    return m_coverage.data() + static_cast<std::size_t>(slot) * TileSize * TileSize;
}

int KTLineRaster::CoverageAt(int x, int y) const
{
    if (!m_bounds.contains(x, y))
        return 0;
    const int lx = x - m_bounds.left();
    const int ly = y - m_bounds.top();
    const int slot = m_grid[static_cast<std::size_t>(ly / TileSize) * static_cast<std::size_t>(m_columns) +
                            static_cast<std::size_t>(lx / TileSize)];
    if (slot < 0)
        return 0;
    return m_coverage[static_cast<std::size_t>(slot) * TileSize * TileSize +
                      static_cast<std::size_t>((ly % TileSize) * TileSize + lx % TileSize)];
}

void KTLineRaster::Run(int y, int x0, int x1, const Segment& segment)
{
    const double px0 = x0 + 0.5 - segment.a.x();
    const double py = y + 0.5 - segment.a.y();
    // Along and across the segment, from its start, for the run's first pixel; both change by
    // a constant from one pixel to the next.
    double along = px0 * segment.ux + py * segment.uy;
    double across = px0 * segment.uy - py * segment.ux;
    const double radius = m_radius;
    const double outer2 = radius * radius;
    const double inner = std::max(0.0, radius - 1.0);
    const double inner2 = inner * inner;
    const int ly = y - m_bounds.top();
    const int ty = ly / TileSize;
    const int cellRow = (ly % TileSize) * TileSize;
    std::uint8_t* tile = nullptr;
    int tileColumn = -1;
    for (int x = x0; x <= x1; ++x, along += segment.ux, across += segment.uy) {
        double distance2;
        if (along <= 0 && !segment.flatStart)
            distance2 = along * along + across * across;
        else if (along >= segment.length && !segment.flatEnd)
            distance2 = (along - segment.length) * (along - segment.length) + across * across;
        else
            distance2 = across * across;
        if (distance2 >= outer2)
            continue;
        // Within a unit of the outer edge the coverage ramps; deeper in it is full.
        double cover = distance2 <= inner2 ? 1.0 : radius - std::sqrt(distance2);
        // A flat end is an edge across the line: half a pixel of ramp on either side of it.
        if (segment.flatStart)
            cover *= std::clamp(along + 0.5, 0.0, 1.0);
        if (segment.flatEnd)
            cover *= std::clamp(segment.length - along + 0.5, 0.0, 1.0);
        if (cover <= 0)
            continue;
        const int value = static_cast<int>(cover * 255.0 + 0.5);
        const int lx = x - m_bounds.left();
        if (lx / TileSize != tileColumn) {
            tileColumn = lx / TileSize;
            tile = Tile(tileColumn, ty);
        }
        std::uint8_t& cell = tile[cellRow + lx % TileSize];
        if (value > cell)
            cell = static_cast<std::uint8_t>(value);
    }
}

void KTLineRaster::AddSegment(QPointF a, QPointF b, bool flatStart, bool flatEnd)
{
    if (m_columns == 0 || !IsFinite(a) || !IsFinite(b))
        return;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    // A flat-capped line of no length covers nothing; a round-capped one is a dot.
    if (length == 0 && (flatStart || flatEnd))
        return;
    const double r = m_radius;
    const int top = std::max(m_bounds.top(), FloorClamped(std::min(a.y(), b.y()) - r));
    const int bottom = std::min(m_bounds.bottom(), CeilClamped(std::max(a.y(), b.y()) + r));
    const double left = std::min(a.x(), b.x()) - r;
    const double right = std::max(a.x(), b.x()) + r;
    if (top > bottom || right < m_bounds.left() || left > m_bounds.right() + 1)
        return;
    const Segment segment{a, length, length > 0 ? dx / length : 0.0, length > 0 ? dy / length : 0.0, flatStart,
                          flatEnd};
    const bool slanted = std::abs(dy) > 1e-9;
    const double slope = slanted ? dx / dy : 0.0;
    const double half = slanted ? r * length / std::abs(dy) + 0.5 : 0.0;
    for (int y = top; y <= bottom; ++y) {
        double low = left;
        double high = right;
        // Across a slanted band the row meets it in a run of limited width around the centre
        // line; the discs at the ends lie within that run's extension by r.
        if (slanted) {
            const double centre = a.x() + (y + 0.5 - a.y()) * slope;
            low = std::max(low, centre - half);
            high = std::min(high, centre + half);
        }
        const int x0 = std::max(m_bounds.left(), FloorClamped(low));
        const int x1 = std::min(m_bounds.right(), CeilClamped(high));
        if (x0 <= x1)
            Run(y, x0, x1, segment);
    }
}

void KTLineRaster::AddPolyline(const QPolygonF& points, bool closed, bool flatEnds)
{
    const int count = static_cast<int>(points.size());
    if (count == 1) {
        AddSegment(points[0], points[0], flatEnds, flatEnds);
        return;
    }
    const int segments = closed ? count : count - 1;
    for (int i = 0; i < segments; ++i) {
        const bool first = !closed && i == 0;
        const bool last = !closed && i == segments - 1;
        AddSegment(points[i], points[(i + 1) % count], flatEnds && first, flatEnds && last);
    }
}

void KTLineRaster::AddDashed(const QPolygonF& points, bool closed, const std::vector<double>& pattern, bool flatEnds)
{
    double total = 0;
    for (double length : pattern)
        total += std::max(0.0, length);
    if (pattern.empty() || !(total > 0) || !std::isfinite(total)) {
        AddPolyline(points, closed, flatEnds);
        return;
    }
    const int count = static_cast<int>(points.size());
    const int segments = closed ? count : count - 1;
    std::size_t index = 0;    // the pattern entry in force; even entries are dashes
    double left = pattern[0]; // what remains of it
    bool pieceOpen = false;   // a dash continues from the previous segment
    for (int i = 0; i < segments; ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % count];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        if (!std::isfinite(length))
            return;
        double at = 0;
        while (at < length) {
            const double step = std::min(left, length - at);
            const bool on = index % 2 == 0;
            if (on && step > 0) {
                const QPointF from = a + (b - a) * (at / length);
                const QPointF to = a + (b - a) * ((at + step) / length);
                const bool endsHere = step >= left;
                AddSegment(from, to, flatEnds && !pieceOpen, flatEnds && endsHere);
                pieceOpen = !endsHere;
            }
            at += step;
            left -= step;
            if (left <= 0) {
                index = (index + 1) % pattern.size();
                left = std::max(0.0, pattern[index]);
                pieceOpen = false;
            }
        }
    }
}

void KTLineRaster::Paint(QPainter& painter, const QColor& colour, QImage* target)
{
    if (target && target->format() != QImage::Format_RGB32 &&
        target->format() != QImage::Format_ARGB32_Premultiplied)
        target = nullptr;
    if (target)
        Blend(*target, colour);
    else
        DrawTiles(painter, colour);
    m_used.clear();
    std::fill(m_grid.begin(), m_grid.end(), -1);
}

void KTLineRaster::Blend(QImage& target, const QColor& colour) const
{
    // The painter paints into the same pixels, so they are written in place: a detach here
    // would leave the painter drawing into a copy.
    const QRgb source = qRgba(colour.red(), colour.green(), colour.blue(), 255);
    const QRect device = target.rect();
    for (std::size_t i = 0; i < m_used.size(); ++i) {
        const std::uint8_t* cover = m_coverage.data() + i * TileSize * TileSize;
        const QPoint origin(m_bounds.left() + m_used[i] % m_columns * TileSize,
                            m_bounds.top() + m_used[i] / m_columns * TileSize);
        const QRect box = QRect(origin, QSize(TileSize, TileSize)) & device & m_bounds;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(const_cast<uchar*>(target.constScanLine(y)));
            const std::uint8_t* row = cover + (y - origin.y()) * TileSize - origin.x();
            for (int x = box.left(); x <= box.right(); ++x) {
                // Most of a tile is untouched: eight untouched pixels are passed over at once.
                if ((x - origin.x()) % 8 == 0 && x + 7 <= box.right()) {
                    std::uint64_t eight;
                    std::memcpy(&eight, row + x, sizeof eight);
                    if (eight == 0) {
                        x += 7;
                        continue;
                    }
                }
                const unsigned alpha = row[x];
                if (alpha == 0)
                    continue;
                if (alpha == 255) {
                    line[x] = source;
                    continue;
                }
                line[x] = Interpolate(source, alpha, line[x]);
            }
        }
    }
}

void KTLineRaster::DrawTiles(QPainter& painter, const QColor& colour) const
{
    QImage tile(TileSize, TileSize, QImage::Format_ARGB32_Premultiplied);
    // The premultiplied colour at every coverage, so that a tile is filled by lookups.
    QRgb shades[256];
    for (int alpha = 0; alpha < 256; ++alpha)
        shades[alpha] = qRgba((colour.red() * alpha + 127) / 255, (colour.green() * alpha + 127) / 255,
                              (colour.blue() * alpha + 127) / 255, alpha);
    for (std::size_t i = 0; i < m_used.size(); ++i) {
        const std::uint8_t* cover = m_coverage.data() + i * TileSize * TileSize;
        for (int y = 0; y < TileSize; ++y) {
            auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
            for (int x = 0; x < TileSize; ++x)
                line[x] = shades[cover[y * TileSize + x]];
        }
        const int column = m_used[i] % m_columns;
        const int row = m_used[i] / m_columns;
        painter.drawImage(QPoint(m_bounds.left() + column * TileSize, m_bounds.top() + row * TileSize), tile);
    }
}
