#include "platform/KTLineRaster.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Device units a segment must run for its rows to tell the pixels beside it from those about its
// ends: shorter, a row has too few of them.
constexpr double kLongSegment = 8.0;
// Device units a row's run reaches past the pixels a segment can cover, for rounding.
constexpr double kRunMargin = 1e-6;
// Pixels across and down (at most) of the box of a segment laid whole.
constexpr int kSmallBox = 8;
// Cells after the last tile, that a box's rows may reach into (leaving them as they are) and a
// blend's four pixels at a time read.
constexpr std::size_t kCoveragePadding = 8;

// Coordinates far outside any device are held here before they become ints; the bounds
// check drops them anyway.
constexpr double kFar = 1.0e7;

// Floor and ceiling by a conversion and a correction, which the processor does without a call
// to the library: exact for every value held, and NaN is held at -kFar as the clamp holds it.
int FloorClamped(double v)
{
    v = std::clamp(v, -kFar, kFar);
    const int i = static_cast<int>(v);
    return i > v ? i - 1 : i;
}

int CeilClamped(double v)
{
    v = std::clamp(v, -kFar, kFar);
    const int i = static_cast<int>(v);
    return i < v ? i + 1 : i;
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

void Prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, 1);
#else
    (void)address;
#endif
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
    // Between strokes every slot of the grid is -1: only those of a stroke left unpainted, or of
    // a grid of another size, are set again.
    ForgetTiles();
    const std::size_t gridSize = static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows);
    if (m_grid.size() != gridSize)
        m_grid.assign(gridSize, -1);
    m_unchanged = nullptr;
    m_targetBits = nullptr;
}

void KTLineRaster::BlendsInto(const QImage& image)
{
    m_targetBits = image.rect().contains(m_bounds) ? image.constBits() : nullptr;
    m_targetStride = image.bytesPerLine();
}

void KTLineRaster::SkipWhereAlready(const QImage& image, std::uint32_t colour)
{
    const bool direct =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
    m_unchanged = direct && !s_referencePath ? &image : nullptr;
    m_unchangedColour = colour | 0xFF000000u;
}

bool KTLineRaster::AlreadyColoured(int top, int bottom, int x0, int x1) const
{
    top = std::max(top, 0);
    bottom = std::min(bottom, m_unchanged->height() - 1);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_unchanged->width() - 1);
    const uchar* const bits = m_unchanged->constBits();
    const qsizetype stride = m_unchanged->bytesPerLine();
    for (int y = top; y <= bottom; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(bits + y * stride);
        // One test for the row: any bit in which some pixel differs from the colour.
        std::uint32_t differs = 0;
        for (int x = x0; x <= x1; ++x)
            differs |= line[x] ^ m_unchangedColour;
        if (differs != 0)
            return false;
    }
    return true;
}

int KTLineRaster::NewTile(int index)
{
    const int slot = static_cast<int>(m_used.size());
    m_grid[static_cast<std::size_t>(index)] = slot;
    m_used.push_back(index);
    const std::size_t cells = m_used.size() * TileSize * TileSize;
    if (m_coverage.size() < cells + kCoveragePadding)
        m_coverage.resize(cells + kCoveragePadding);
    std::fill_n(m_coverage.begin() + static_cast<std::ptrdiff_t>(cells - TileSize * TileSize),
                TileSize * TileSize, std::uint8_t{0});
    const std::size_t spans = m_used.size() * TileSize * 2;
    if (m_spans.size() < spans)
        m_spans.resize(spans);
    for (std::size_t i = spans - TileSize * 2; i < spans; i += 2) {
        m_spans[i] = TileSize; // first column touched: none yet
        m_spans[i + 1] = 0;    // last column touched
    }
    return slot;
}

inline int KTLineRaster::Tile(int tx, int ty)
{
    const int index = ty * m_columns + tx;
    const int slot = m_grid[static_cast<std::size_t>(index)];
    return slot >= 0 ? slot : NewTile(index);
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

bool KTLineRaster::s_referencePath = false;

namespace {

/// The coverage of pixel x of row y by the segment, from the distance of the pixel's centre:
/// the reference arithmetic. Every pixel is computed from its own centre, so that where a run
/// starts changes nothing.
[[gnu::always_inline]] inline std::uint8_t CoverOf(const KTLineRaster::SegmentCover& c,
                                                   const KTLineRaster::RowCover& row, int x)
{
    const double px = x + 0.5 - c.ax;
    const double along = px * c.ux + row.pyuy;
    const double across = px * c.uy - row.pyux;
    // The nearest point of the segment: "along" held within the segment.
    const double off = along - std::clamp(along, c.low, c.high);
    double value = std::clamp(c.radius - std::sqrt(off * off + across * across), 0.0, 1.0);
    // A flat end is an edge across the line: half a pixel of ramp on either side of it.
    if (c.cutStart)
        value *= std::clamp((x + 0.5 - c.startX) * c.startDX + row.startRow + 0.5, 0.0, 1.0);
    if (c.cutEnd)
        value *= std::clamp((x + 0.5 - c.endX) * c.endDX + row.endRow + 0.5, 0.0, 1.0);
    return static_cast<std::uint8_t>(value * 255.0 + 0.5);
}

} // namespace

#if defined(__SSE2__)
/// The segment's part of CoverPairs, in both lanes: set once for all the segment's rows.
struct KTLineRaster::Lanes
{
    explicit Lanes(const SegmentCover& c)
        : ax(_mm_set1_pd(c.ax)), ux(_mm_set1_pd(c.ux)), uy(_mm_set1_pd(c.uy)), low(_mm_set1_pd(c.low)),
          high(_mm_set1_pd(c.high)), radius(_mm_set1_pd(c.radius)), startX(_mm_set1_pd(c.startX)),
          startDX(_mm_set1_pd(c.startDX)), endX(_mm_set1_pd(c.endX)), endDX(_mm_set1_pd(c.endDX)),
          cutStart(c.cutStart), cutEnd(c.cutEnd), isLong(c.high - c.low >= kLongSegment)
    {
    }
    __m128d ax;
    __m128d ux;
    __m128d uy;
    __m128d low;
    __m128d high;
    __m128d radius;
    __m128d startX;
    __m128d startDX;
    __m128d endX;
    __m128d endDX;
    bool cutStart;
    bool cutEnd;
    /// Whether its rows have pixels enough beside it, neither before its start nor past its
    /// end, that telling them apart pays.
    bool isLong;
};
#else
struct KTLineRaster::Lanes
{
    explicit Lanes(const SegmentCover&) {}
};
#endif

namespace {

#if defined(__SSE2__)
/// CoverOf for two pixels at once, operation for operation (so to the last bit) the same: the
/// lanes round as the scalar arithmetic does, and minimum and maximum clamp alike. Pixel
/// centres step on by 2 from the first, exactly, as halves of small integers do.
template <bool Cuts, bool Long>
[[gnu::always_inline]] inline unsigned CoverPairs(const KTLineRaster::Lanes& c,
                                                  const KTLineRaster::RowCover& row, std::uint8_t* cells,
                                                  int from, int to)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d zero = _mm_setzero_pd();
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d scale = _mm_set1_pd(255.0);
    const __m128d pyuy = _mm_set1_pd(row.pyuy);
    const __m128d pyux = _mm_set1_pd(row.pyux);
    const __m128d startRow = _mm_set1_pd(row.startRow);
    const __m128d endRow = _mm_set1_pd(row.endRow);
    const bool cutStart = Cuts && c.cutStart;
    const bool cutEnd = Cuts && c.cutEnd;
    __m128d centre = _mm_add_pd(_mm_setr_pd(from, from + 1.0), half);
    __m128i laid = _mm_setzero_si128();
    for (int x = from; x <= to; x += 2, centre = _mm_add_pd(centre, two)) {
        const __m128d px = _mm_sub_pd(centre, c.ax);
        const __m128d along = _mm_add_pd(_mm_mul_pd(px, c.ux), pyuy);
        const __m128d across = _mm_sub_pd(_mm_mul_pd(px, c.uy), pyux);
        const __m128d off = _mm_sub_pd(along, _mm_min_pd(_mm_max_pd(along, c.low), c.high));
        __m128d distance;
        // Beside a long segment (not past its ends) the distance is the one across it: the root
        // of its square is that exactly, and the root costs more than the rest of the pair.
        if (Long && _mm_movemask_pd(_mm_cmpeq_pd(off, zero)) == 3)
            distance = _mm_andnot_pd(sign, across);
        else
            distance = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(off, off), _mm_mul_pd(across, across)));
        __m128d value = _mm_min_pd(_mm_max_pd(_mm_sub_pd(c.radius, distance), zero), one);
        if constexpr (Cuts) {
            if (cutStart) {
                const __m128d past =
                    _mm_add_pd(_mm_mul_pd(_mm_sub_pd(centre, c.startX), c.startDX), startRow);
                value = _mm_mul_pd(value, _mm_min_pd(_mm_max_pd(_mm_add_pd(past, half), zero), one));
            }
            if (cutEnd) {
                const __m128d past = _mm_add_pd(_mm_mul_pd(_mm_sub_pd(centre, c.endX), c.endDX), endRow);
                value = _mm_mul_pd(value, _mm_min_pd(_mm_max_pd(_mm_add_pd(past, half), zero), one));
            }
        }
        const __m128i bytes = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(value, scale), half));
        laid = _mm_or_si128(laid, bytes);
        cells[x] = std::max(cells[x], static_cast<std::uint8_t>(_mm_cvtsi128_si32(bytes)));
        if (x < to)
            cells[x + 1] = std::max(cells[x + 1],
                                    static_cast<std::uint8_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4))));
    }
    // Any coverage at all (the second lane past an odd end counts too, which only widens a span).
    return static_cast<unsigned>(_mm_cvtsi128_si32(_mm_or_si128(laid, _mm_srli_si128(laid, 4))));
}

/// The row's part of CoverPairs, in both lanes.
struct RowLanes
{
    explicit RowLanes(const KTLineRaster::RowCover& row)
        : pyuy(_mm_set1_pd(row.pyuy)), pyux(_mm_set1_pd(row.pyux)), startRow(_mm_set1_pd(row.startRow)),
          endRow(_mm_set1_pd(row.endRow))
    {
    }
    __m128d pyuy;
    __m128d pyux;
    __m128d startRow;
    __m128d endRow;
};

/// The coverage of the two pixels whose centres are `centre`, in the two low 32-bit lanes, by
/// CoverPairs' arithmetic without its shortcut beside long segments.
template <bool Cuts>
[[gnu::always_inline]] inline __m128i PairCover(const KTLineRaster::Lanes& c, const RowLanes& row,
                                                __m128d centre)
{
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d zero = _mm_setzero_pd();
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d px = _mm_sub_pd(centre, c.ax);
    const __m128d along = _mm_add_pd(_mm_mul_pd(px, c.ux), row.pyuy);
    const __m128d across = _mm_sub_pd(_mm_mul_pd(px, c.uy), row.pyux);
    const __m128d off = _mm_sub_pd(along, _mm_min_pd(_mm_max_pd(along, c.low), c.high));
    const __m128d distance = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(off, off), _mm_mul_pd(across, across)));
    __m128d value = _mm_min_pd(_mm_max_pd(_mm_sub_pd(c.radius, distance), zero), one);
    if constexpr (Cuts) {
        if (c.cutStart) {
            const __m128d past =
                _mm_add_pd(_mm_mul_pd(_mm_sub_pd(centre, c.startX), c.startDX), row.startRow);
            value = _mm_mul_pd(value, _mm_min_pd(_mm_max_pd(_mm_add_pd(past, half), zero), one));
        }
        if (c.cutEnd) {
            const __m128d past = _mm_add_pd(_mm_mul_pd(_mm_sub_pd(centre, c.endX), c.endDX), row.endRow);
            value = _mm_mul_pd(value, _mm_min_pd(_mm_max_pd(_mm_add_pd(past, half), zero), one));
        }
    }
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(value, _mm_set1_pd(255.0)), half));
}
#endif

} // namespace

[[gnu::always_inline]] inline void KTLineRaster::Run(int y, int x0, int x1, const SegmentCover& c,
                                                     const Lanes& lanes)
{
    const double py = y + 0.5 - c.ay;
    const RowCover row{py * c.uy, py * c.ux, (y + 0.5 - c.startY) * c.startDY, (y + 0.5 - c.endY) * c.endDY};
    const int ly = y - m_bounds.top();
    const int ty = ly / TileSize;
    const int cellRow = (ly % TileSize) * TileSize;
    const bool reference = s_referencePath;
    if (m_targetBits)
        Prefetch(m_targetBits + y * m_targetStride + x0 * 4);
    // The run is cut at tile edges so that the inner loops touch one tile only.
    for (int start = x0; start <= x1;) {
        const int lx = start - m_bounds.left();
        const int column = lx % TileSize;
        const int stop = std::min(x1, start + TileSize - column - 1);
        const auto slot = static_cast<std::size_t>(Tile(lx / TileSize, ty));
        // Indexed by x within this tile's columns.
        std::uint8_t* cells = m_coverage.data() + slot * TileSize * TileSize + cellRow + column - start;
        std::uint8_t* span = m_spans.data() + (slot * TileSize + static_cast<std::size_t>(ly % TileSize)) * 2;
        span[0] = std::min<std::uint8_t>(span[0], static_cast<std::uint8_t>(column));
        span[1] = std::max<std::uint8_t>(span[1], static_cast<std::uint8_t>(column + stop - start));
#if defined(__SSE2__)
        if (!reference) {
            if (c.cutStart || c.cutEnd) {
                if (lanes.isLong)
                    CoverPairs<true, true>(lanes, row, cells, start, stop);
                else
                    CoverPairs<true, false>(lanes, row, cells, start, stop);
            } else if (lanes.isLong) {
                CoverPairs<false, true>(lanes, row, cells, start, stop);
            } else {
                CoverPairs<false, false>(lanes, row, cells, start, stop);
            }
            start = stop + 1;
            continue;
        }
#endif
        (void)reference;
        (void)lanes;
        for (int x = start; x <= stop; ++x)
            cells[x] = std::max(cells[x], CoverOf(c, row, x));
        start = stop + 1;
    }
}

#if defined(__SSE2__)
template <bool Cuts, int Pairs>
void KTLineRaster::LayBox(const SegmentCover& c, const Lanes& lanes, int top, int bottom, int x0, int x1)
{
    static_assert(Pairs >= 1 && Pairs <= 4);
    const int lx = x0 - m_bounds.left();
    const int ly = top - m_bounds.top();
    const auto slot = static_cast<std::size_t>(Tile(lx / TileSize, ly / TileSize));
    const auto first = static_cast<std::uint8_t>(lx % TileSize);
    const auto last = static_cast<std::uint8_t>(lx % TileSize + (x1 - x0));
    // Eight cells from x0 on, a row further on each row: those past x1 (into the next row, or the
    // padding after the last tile) take coverage 0, which leaves them as they are.
    std::uint8_t* cells = m_coverage.data() + slot * TileSize * TileSize +
                          static_cast<std::size_t>(ly % TileSize) * TileSize + (lx % TileSize);
    std::uint8_t* span = m_spans.data() + (slot * TileSize + static_cast<std::size_t>(ly % TileSize)) * 2;
    static constexpr std::uint8_t kKeep[16] = {255, 255, 255, 255, 255, 255, 255, 255,
                                               0,   0,   0,   0,   0,   0,   0,   0};
    const __m128i keep = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kKeep + 8 - (x1 - x0 + 1)));
    const __m128i zero = _mm_setzero_si128();
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d first2 = _mm_add_pd(_mm_setr_pd(x0, x0 + 1.0), half);
    for (int y = top; y <= bottom; ++y, cells += TileSize, span += 2) {
        if (m_targetBits)
            Prefetch(m_targetBits + y * m_targetStride + x0 * 4);
        const double py = y + 0.5 - c.ay;
        const RowLanes row(
            RowCover{py * c.uy, py * c.ux, (y + 0.5 - c.startY) * c.startDY, (y + 0.5 - c.endY) * c.endDY});
        // Every pair of the row, the same number on every row: no loop to mispredict.
        __m128i quads[2] = {zero, zero};
        for (int p = 0; p < Pairs; ++p) {
            const __m128i pair = PairCover<Cuts>(lanes, row, _mm_add_pd(first2, _mm_set1_pd(2.0 * p)));
            quads[p / 2] = p % 2 == 0 ? pair : _mm_unpacklo_epi64(quads[p / 2], pair);
        }
        const __m128i bytes =
            _mm_and_si128(_mm_packus_epi16(_mm_packs_epi32(quads[0], quads[1]), zero), keep);
        const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cells), _mm_max_epu8(old, bytes));
        // A row the segment leaves bare (a corner of its box) widens no span.
        const bool laid = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)) != 0xFFFF;
        span[0] = std::min<std::uint8_t>(span[0], laid ? first : std::uint8_t{TileSize});
        span[1] = std::max<std::uint8_t>(span[1], laid ? last : std::uint8_t{0});
    }
}
#endif

namespace {

// How far (device units, along the lines) a pixel must lie inside the part of a join left to a
// segment's neighbour: its distance to the neighbour is then shorter by far more than rounding.
constexpr double kJoinMargin = 1e-3;
// Segments shorter than this draw their joins whole (their margins would shrink with them); so
// do segments so long that the slope of a near-vertical one could matter across a row.
constexpr double kMinTrimmed = 1e-2;
constexpr double kMaxTrimmed = 1e5;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// Pixel centres of one row, from..to; a half-line or all of the row when infinite.
struct Row
{
    double from = -kInfinity;
    double to = kInfinity;
};

/// Where along each row the pixels ahead of a line through a join begin or end: those x with
/// (x - p) . u >= -margin, the line through p at right angles to the unit vector u.
struct Edge
{
    // x >= fromBase + row * fromSlope and x <= toBase + row * toSlope; the side that does not
    // bound is infinite, with no slope.
    double fromBase = -kInfinity;
    double fromSlope = 0;
    double toBase = kInfinity;
    double toSlope = 0;
    bool rows = false; ///< the line lies along the rows: all of a row while rowBase + row * rowSlope >= 0
    double rowBase = 0;
    double rowSlope = 0;

    Edge() = default;
    Edge(QPointF p, QPointF u)
    {
        if (u.x() == 0 && u.y() == 0)
            return; // no direction: every pixel
        if (std::abs(u.x()) < 1e-9) {
            rows = true;
            rowBase = kJoinMargin - p.y() * u.y();
            rowSlope = u.y();
            return;
        }
        const double base = p.x() + (p.y() * u.y() - kJoinMargin) / u.x();
        const double slope = -u.y() / u.x();
        if (u.x() > 0) {
            fromBase = base;
            fromSlope = slope;
        } else {
            toBase = base;
            toSlope = slope;
        }
    }

    bool BoundsFrom() const { return !rows && fromBase > -kInfinity; }
    bool BoundsTo() const { return !rows && toBase < kInfinity; }

    [[gnu::always_inline]] Row At(double row) const
    {
        if (rows) [[unlikely]]
            return rowBase + row * rowSlope >= 0 ? Row() : Row{kInfinity, -kInfinity};
        return Row{fromBase + row * fromSlope, toBase + row * toSlope};
    }
};

/// Whether the pixels ahead of either of two lines through a join can leave out any of a row:
/// not when one line bounds the rows from below and the other from above.
bool LeavesOut(const Edge& one, const Edge& other)
{
    return !((one.BoundsFrom() && other.BoundsTo()) || (one.BoundsTo() && other.BoundsFrom()));
}

/// The pixels ahead of either of two lines through a join (the span from the first to the
/// last of them), within a row's pixels.
[[gnu::always_inline]] inline void KeepAhead(const Edge& one, const Edge& other, double row, double& low,
                                             double& high)
{
    const Row a = one.At(row);
    const Row b = other.At(row);
    low = std::max(low, std::min(a.from, b.from));
    high = std::min(high, std::max(a.to, b.to));
}

QPointF JoinUnit(QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length = std::sqrt(QPointF::dotProduct(d, d));
    return length >= kMinTrimmed && length <= kMaxTrimmed ? d / length : QPointF();
}

} // namespace

void KTLineRaster::AddSegment(QPointF a, QPointF b, bool flatStart, bool flatEnd)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    // A flat-capped line of no length covers nothing; a round-capped one is a dot.
    if (!(length > 0) && (flatStart || flatEnd))
        return;
    const QPointF unit = length > 0 ? QPointF(dx / length, dy / length) : QPointF(1.0, 0.0);
    const Cut start{a, unit};
    const Cut end{b, -unit};
    AddCutSegment(a, b, flatStart, flatEnd, flatStart ? &start : nullptr, flatEnd ? &end : nullptr);
}

void KTLineRaster::AddCutSegment(QPointF a, QPointF b, bool openStart, bool openEnd, const Cut* startCut,
                                 const Cut* endCut, const QPointF* before, const QPointF* after)
{
    if (m_columns == 0 || !IsFinite(a) || !IsFinite(b))
        return;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!std::isfinite(length))
        return;
    const double r = m_radius;
    const int top = std::max(m_bounds.top(), FloorClamped(std::min(a.y(), b.y()) - r));
    const int bottom = std::min(m_bounds.bottom(), CeilClamped(std::max(a.y(), b.y()) + r));
    const double left = std::min(a.x(), b.x()) - r;
    const double right = std::max(a.x(), b.x()) + r;
    // The pixels the rows below can cover: those whose centres lie within [left, right] and,
    // where no cut ends the segment, within r of its bounding box, for a pixel as far as r from
    // it has no coverage. A cut's ramp reaches half a pixel past its end, into all the rows.
    const bool cut = startCut || endCut;
    const int boxTop = cut ? top : std::max(m_bounds.top(), CeilClamped(std::min(a.y(), b.y()) - r - 0.5));
    const int boxBottom =
        cut ? bottom : std::min(m_bounds.bottom(), FloorClamped(std::max(a.y(), b.y()) + r - 0.5));
    const int boxLeft = std::max(m_bounds.left(), CeilClamped(left - 0.5));
    const int boxRight = std::min(m_bounds.right(), FloorClamped(right - 0.5));
    if (boxTop > boxBottom || boxLeft > boxRight)
        return;
    if (m_unchanged && AlreadyColoured(boxTop, boxBottom, boxLeft, boxRight))
        return;
    // A segment of no length is a dot: any direction measures the distance from its point.
    const double ux = length > 0 ? dx / length : 1.0;
    const double uy = length > 0 ? dy / length : 0.0;
    const auto edge = [](const Cut* c) { return c ? *c : Cut{QPointF(0.0, 0.0), QPointF(1.0, 0.0)}; };
    const Cut start = edge(startCut);
    const Cut end = edge(endCut);
    const SegmentCover cover{a.x(),
                             a.y(),
                             ux,
                             uy,
                             openStart ? -1e300 : 0.0,
                             openEnd ? 1e300 : length,
                             r,
                             startCut != nullptr,
                             endCut != nullptr,
                             start.point.x(),
                             start.point.y(),
                             start.inward.x(),
                             start.inward.y(),
                             end.point.x(),
                             end.point.y(),
                             end.inward.x(),
                             end.inward.y()};
    const Lanes lanes(cover);
    const bool reference = s_referencePath;
#if defined(__SSE2__)
    // A short segment (the chords of a circle, most of a dotted line) is laid over the whole of
    // a small box in one tile, every row alike: finding each row's run and the joins' shares
    // would cost more than the pixels they leave out.
    if (!reference && boxRight - boxLeft < kSmallBox && boxBottom - boxTop < kSmallBox &&
        (boxLeft - m_bounds.left()) / TileSize == (boxRight - m_bounds.left()) / TileSize &&
        (boxTop - m_bounds.top()) / TileSize == (boxBottom - m_bounds.top()) / TileSize) {
        using Lay = void (KTLineRaster::*)(const SegmentCover&, const Lanes&, int, int, int, int);
        static constexpr Lay kLay[2][4] = {{&KTLineRaster::LayBox<false, 1>, &KTLineRaster::LayBox<false, 2>,
                                            &KTLineRaster::LayBox<false, 3>, &KTLineRaster::LayBox<false, 4>},
                                           {&KTLineRaster::LayBox<true, 1>, &KTLineRaster::LayBox<true, 2>,
                                            &KTLineRaster::LayBox<true, 3>, &KTLineRaster::LayBox<true, 4>}};
        (this->*kLay[cut ? 1 : 0][(boxRight - boxLeft) / 2])(cover, lanes, boxTop, boxBottom, boxLeft,
                                                             boxRight);
        return;
    }
#endif
    const bool slanted = std::abs(dy) > 1e-9;
    const double slope = slanted ? dx / dy : 0.0;
    // A pixel whose centre lies further along its row from the centre line than r x length / |dy|
    // is further than r from the line, and has no coverage: the reference path takes half a
    // pixel more on either side, the fast one only a margin for rounding.
    const double half = slanted ? r * length / std::abs(dy) + (reference ? 0.5 : kRunMargin) : 0.0;
    // At a join the pixels near it are left to whichever of the two segments is nearer to them
    // by a margin (so that rounding never decides): a pixel behind this segment's start and
    // not past the one before's end is nearer to that one, a pixel past this one's end and
    // ahead of the next one's start nearer to the next. Each row keeps the pixels ahead of
    // either line across the join; where the two lines turn back across a row, all of it.
    const bool trimmable = !reference && length >= kMinTrimmed && length <= kMaxTrimmed;
    const QPointF unit(ux, uy);
    const Edge startOwn = trimmable && before ? Edge(a, unit) : Edge();
    const Edge startOther = trimmable && before ? Edge(a, *before) : Edge();
    const Edge endOwn = trimmable && after ? Edge(b, -unit) : Edge();
    const Edge endOther = trimmable && after ? Edge(b, -*after) : Edge();
    const bool trimStart = trimmable && before && LeavesOut(startOwn, startOther);
    const bool trimEnd = trimmable && after && LeavesOut(endOwn, endOther);
    const std::pair<int, int> startRows(FloorClamped(a.y() - r - 1), CeilClamped(a.y() + r + 1));
    const std::pair<int, int> endRows(FloorClamped(b.y() - r - 1), CeilClamped(b.y() + r + 1));
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
        // Only rows within reach of a join have pixels near it.
        if (trimStart && y >= startRows.first && y <= startRows.second)
            KeepAhead(startOwn, startOther, y + 0.5, low, high);
        if (trimEnd && y >= endRows.first && y <= endRows.second)
            KeepAhead(endOwn, endOther, y + 0.5, low, high);
        // Pixels whose centres (x + 0.5) lie within [low, high].
        const int x0 = std::max(m_bounds.left(), CeilClamped(low - 0.5));
        const int x1 = std::min(m_bounds.right(), FloorClamped(high - 0.5));
        // A row whose pixels all hold the colour already is left as blending would leave it.
        if (x0 <= x1 && !(m_unchanged && AlreadyColoured(y, y, x0, x1)))
            Run(y, x0, x1, cover, lanes);
    }
}

void KTLineRaster::AddPiece(const QPolygonF& piece, bool flatEnds)
{
    const int count = static_cast<int>(piece.size());
    if (count == 0)
        return;
    // The unit direction of each segment as its neighbours see it at their joins: (0, 0), which
    // shares no pixels, for one too short to share them.
    std::vector<QPointF>& units = m_units;
    units.resize(static_cast<std::size_t>(std::max(0, count - 1)));
    for (int i = 0; i + 1 < count; ++i)
        units[static_cast<std::size_t>(i)] = JoinUnit(piece[i], piece[i + 1]);
    const auto unit = [&](int i) { return &units[static_cast<std::size_t>(i)]; };
    if (!flatEnds) {
        if (count == 1)
            AddCutSegment(piece[0], piece[0], false, false, nullptr, nullptr);
        for (int i = 0; i + 1 < count; ++i)
            AddCutSegment(piece[i], piece[i + 1], false, false, nullptr, nullptr, i > 0 ? unit(i - 1) : nullptr,
                          i + 2 < count ? unit(i + 1) : nullptr);
        return;
    }
    // The cuts stand across the first and the last segment that have a length.
    std::vector<double>& reached = m_reached; // path length to each point
    reached.assign(static_cast<std::size_t>(count), 0.0);
    int first = -1;
    int last = -1;
    for (int i = 0; i + 1 < count; ++i) {
        const QPointF d = piece[i + 1] - piece[i];
        const double length = std::sqrt(QPointF::dotProduct(d, d));
        reached[static_cast<std::size_t>(i + 1)] = reached[static_cast<std::size_t>(i)] + length;
        if (length > 0) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return; // no length: a flat-ended piece covers nothing
    const auto direction = [&](int i) {
        const QPointF d = piece[i + 1] - piece[i];
        return d / std::sqrt(QPointF::dotProduct(d, d));
    };
    const Cut start{piece[first], direction(first)};
    const Cut end{piece[last + 1], -direction(last)};
    const double total = reached.back();
    const double reach = m_radius + 1.0; // how far a round join can stand out past a cut
    const auto drawn = [&](int i) {
        return reached[static_cast<std::size_t>(i + 1)] > reached[static_cast<std::size_t>(i)];
    };
    const auto startCut = [&](int i) { return reached[static_cast<std::size_t>(i)] < reach ? &start : nullptr; };
    const auto endCut = [&](int i) {
        return total - reached[static_cast<std::size_t>(i + 1)] < reach ? &end : nullptr;
    };
    // A join is shared only between segments that the same cuts cut: elsewhere one may lack a
    // cut that the other's pixels need.
    const auto sameCuts = [&](int i, int j) { return startCut(i) == startCut(j) && endCut(i) == endCut(j); };
    int previous = -1;
    for (int i = first; i <= last; ++i) {
        if (!drawn(i))
            continue;
        int next = i + 1;
        while (next <= last && !drawn(next))
            ++next;
        AddCutSegment(piece[i], piece[i + 1], i == first, i == last, startCut(i), endCut(i),
                      previous >= 0 && sameCuts(previous, i) ? unit(previous) : nullptr,
                      next <= last && sameCuts(next, i) ? unit(next) : nullptr);
        previous = i;
    }
}

void KTLineRaster::AddPolyline(const QPolygonF& points, bool closed, bool flatEnds)
{
    const int count = static_cast<int>(points.size());
    if (count == 0)
        return;
    if (!closed) {
        AddPiece(points, flatEnds);
        return;
    }
    std::vector<QPointF>& units = m_units;
    units.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        units[static_cast<std::size_t>(i)] = JoinUnit(points[i], points[(i + 1) % count]);
    for (int i = 0; i < count; ++i) {
        const QPointF* before = count > 1 ? &units[static_cast<std::size_t>((i + count - 1) % count)] : nullptr;
        const QPointF* after = count > 1 ? &units[static_cast<std::size_t>((i + 1) % count)] : nullptr;
        AddCutSegment(points[i], points[(i + 1) % count], false, false, nullptr, nullptr, before, after);
    }
}

void KTLineRaster::AddDashed(const QPolygonF& points, bool closed, const std::vector<double>& pattern,
                             bool flatEnds)
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
    std::size_t index = 0;      // the pattern entry in force; even entries are dashes
    double left = pattern[0];   // what remains of it
    QPolygonF& piece = m_piece; // the dash being laid, across corners
    piece.resize(0);
    for (int i = 0; i < segments; ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % count];
        const QPointF d = b - a;
        const double length = std::sqrt(QPointF::dotProduct(d, d));
        if (!std::isfinite(length))
            return;
        // Off the bounds only the pattern is followed: a dash cut short out there is not seen.
        const double r = m_radius;
        const bool near = std::max(a.y(), b.y()) + r >= m_bounds.top() &&
                          std::min(a.y(), b.y()) - r <= m_bounds.bottom() + 1 &&
                          std::max(a.x(), b.x()) + r >= m_bounds.left() &&
                          std::min(a.x(), b.x()) - r <= m_bounds.right() + 1;
        double at = 0;
        while (at < length) {
            const double step = std::min(left, length - at);
            if (index % 2 == 0 && step > 0) {
                if (!near) {
                    AddPiece(piece, flatEnds);
                    piece.resize(0);
                } else {
                    if (piece.isEmpty())
                        piece.append(a + d * (at / length));
                    piece.append(a + d * ((at + step) / length));
                }
            }
            at += step;
            left -= step;
            if (left <= 0) {
                if (index % 2 == 0) {
                    AddPiece(piece, flatEnds);
                    piece.resize(0);
                }
                index = (index + 1) % pattern.size();
                left = std::max(0.0, pattern[index]);
            }
        }
    }
    AddPiece(piece, flatEnds);
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
    ForgetTiles();
}

void KTLineRaster::ForgetTiles()
{
    for (const int index : m_used)
        m_grid[static_cast<std::size_t>(index)] = -1;
    m_used.clear();
}

namespace {

/// Pixels first..last of an image row blended towards the source by their coverage (indexed by
/// x as the row is); the row's pixels run to rowEnd, its coverage at least three cells past last.
void BlendSpan(QRgb* line, const std::uint8_t* cover, int first, int last, int rowEnd, QRgb source,
               bool reference)
{
    int x = first;
#if defined(__SSE2__)
    // Four pixels at a time, each channel in 16 bits: the products and the rounding sums stay
    // below 65536, so every lane computes what Interpolate computes, and coverage 0 or 255
    // leaves the destination or the source as they are. Pixels past the span (within the row)
    // take coverage 0 and keep their values: a span of a few pixels is one step, without a
    // branch on its length or its coverage to mispredict.
    if (!reference) {
        static constexpr std::uint32_t kLanes[5] = {0, 0xFFu, 0xFFFFu, 0xFFFFFFu, 0xFFFFFFFFu};
        const __m128i zero = _mm_setzero_si128();
        const __m128i sourceWide = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), zero);
        const __m128i full = _mm_set1_epi16(255);
        const __m128i round = _mm_set1_epi16(0x80);
        const auto mix = [&](__m128i alpha, __m128i destination) {
            const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(sourceWide, alpha),
                                              _mm_mullo_epi16(destination, _mm_sub_epi16(full, alpha)));
            return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, _mm_srli_epi16(sum, 8)), round), 8);
        };
        for (; x <= last && x + 3 <= rowEnd; x += 4) {
            std::uint32_t alphas;
            std::memcpy(&alphas, cover + x, sizeof alphas);
            alphas &= kLanes[std::min(4, last - x + 1)];
            auto* pixels = reinterpret_cast<__m128i*>(line + x);
            const __m128i destination = _mm_loadu_si128(pixels);
            __m128i spread = _mm_cvtsi32_si128(static_cast<int>(alphas));
            spread = _mm_unpacklo_epi8(spread, spread);
            spread = _mm_unpacklo_epi16(spread, spread); // each pixel's coverage in its four bytes
            const __m128i low = mix(_mm_unpacklo_epi8(spread, zero), _mm_unpacklo_epi8(destination, zero));
            const __m128i high = mix(_mm_unpackhi_epi8(spread, zero), _mm_unpackhi_epi8(destination, zero));
            _mm_storeu_si128(pixels, _mm_packus_epi16(low, high));
        }
    }
#endif
    (void)reference;
    (void)rowEnd;
    for (; x <= last; ++x) {
        const unsigned alpha = cover[x];
        if (alpha == 0)
            continue;
        if (alpha == 255)
            line[x] = source;
        else
            line[x] = Interpolate(source, alpha, line[x]);
    }
}

} // namespace

void KTLineRaster::Blend(QImage& target, const QColor& colour)
{
    // The painter paints into the same pixels, so they are written in place: a detach here
    // would leave the painter drawing into a copy.
    const QRgb source = qRgba(colour.red(), colour.green(), colour.blue(), 255);
    const QRect box = target.rect() & m_bounds;
    if (box.isEmpty())
        return;
    auto* const bits = const_cast<uchar*>(target.constBits());
    const qsizetype stride = target.bytesPerLine();
    const bool reference = s_referencePath;
    const int rowEnd = target.width() - 1;
    const auto origin = [&](std::size_t slot) {
        return QPoint(m_bounds.left() + m_used[slot] % m_columns * TileSize,
                      m_bounds.top() + m_used[slot] / m_columns * TileSize);
    };
    // The image's rows lie far apart in memory and mostly outside the cache: the rows of the
    // next tile are asked for while this one is blended, so that their fetches overlap the work
    // instead of each being waited for in turn.
    const auto prefetch = [&](std::size_t slot) {
        const QPoint corner = origin(slot);
        const std::uint8_t* spans = m_spans.data() + slot * TileSize * 2;
        const int top = std::max(box.top(), corner.y());
        const int bottom = std::min(box.bottom(), corner.y() + TileSize - 1);
        for (int y = top; y <= bottom; ++y) {
            const int r = y - corner.y();
            if (spans[r * 2] > spans[r * 2 + 1])
                continue;
            const uchar* line = bits + y * stride;
            Prefetch(line + (corner.x() + spans[r * 2]) * 4);
            Prefetch(line + (corner.x() + spans[r * 2 + 1]) * 4);
        }
    };
    if (!m_used.empty())
        prefetch(0);
    for (std::size_t slot = 0; slot < m_used.size(); ++slot) {
        if (slot + 1 < m_used.size())
            prefetch(slot + 1);
        const QPoint corner = origin(slot);
        const std::uint8_t* cover = m_coverage.data() + slot * TileSize * TileSize;
        const std::uint8_t* spans = m_spans.data() + slot * TileSize * 2;
        const int top = std::max(box.top(), corner.y());
        const int bottom = std::min(box.bottom(), corner.y() + TileSize - 1);
        for (int y = top; y <= bottom; ++y) {
            const int r = y - corner.y();
            const int first = std::max(box.left(), corner.x() + spans[r * 2]);
            const int last = std::min(box.right(), corner.x() + spans[r * 2 + 1]);
            if (first <= last)
                BlendSpan(reinterpret_cast<QRgb*>(bits + y * stride), cover + r * TileSize - corner.x(),
                          first, last, rowEnd, source, reference);
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
        const std::uint8_t* spans = m_spans.data() + i * TileSize * 2;
        // Only the box of the touched cells goes to the painter.
        int top = TileSize, bottom = -1, left = TileSize, right = -1;
        for (int y = 0; y < TileSize; ++y) {
            if (spans[y * 2] > spans[y * 2 + 1])
                continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min<int>(left, spans[y * 2]);
            right = std::max<int>(right, spans[y * 2 + 1]);
        }
        if (bottom < 0)
            continue;
        for (int y = top; y <= bottom; ++y) {
            auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
            for (int x = left; x <= right; ++x)
                line[x] = shades[cover[y * TileSize + x]];
        }
        const int column = m_used[i] % m_columns;
        const int row = m_used[i] / m_columns;
        painter.drawImage(
            QPoint(m_bounds.left() + column * TileSize + left, m_bounds.top() + row * TileSize + top), tile,
            QRect(left, top, right - left + 1, bottom - top + 1));
    }
}
