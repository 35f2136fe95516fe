#pragma once
// Antialiased wide lines for raster devices, drawn a great deal faster than a general path
// stroker draws them: a curve of 1600 points costs a fraction of a millisecond.
//
// A stroke is the set of points within half the pen width of its segments, so round joins and
// round caps come out of the geometry itself. Coverage (0..255, from the distance of each pixel
// centre to the nearest segment) is kept per pixel as the union of all segments of one stroke,
// so overlapping segments never darken a pixel twice, in 32 x 32 tiles touched by the stroke
// only; the tiles are blended into the painter's image directly, or drawn through the painter.
// Flat ends (dashes, the gaps of styled lines) cut the stroke square across its direction.

#include <QPointF>
#include <QPolygonF>
#include <QRect>

#include <cstdint>
#include <vector>

class QColor;
class QImage;
class QPainter;

class KTLineRaster
{
public:
    static constexpr int TileSize = 32;

    /// Starts a stroke of the given width (device units, above 0) confined to `bounds` (device
    /// pixels); anything outside is dropped. Coverage of an earlier stroke is discarded.
    void Begin(const QRect& bounds, double width);
    /// Until the next Begin, a segment (or a row of one) whose every pixel in `image` (the one
    /// the stroke will be blended into, RGB32 or premultiplied ARGB32) already holds the opaque
    /// `colour` is not laid: blending a colour into pixels of that colour leaves them as they
    /// are, whatever the coverage. The gaps of dashed lines in the background colour mostly fall
    /// on pixels of it, and a long line's rows mostly do where others cross it.
    /// Not on the reference path, which lays every segment.
    void SkipWhereAlready(const QImage& image, std::uint32_t colour);
    /// Until the next Begin, the stroke is to be blended into `image` (covering the bounds): the
    /// image's rows are asked for from memory as the stroke is laid, so that they have arrived
    /// when Paint blends them instead of each being waited for in turn.
    void BlendsInto(const QImage& image);
    /// One segment; a flat end stops square at its point instead of rounding past it.
    void AddSegment(QPointF a, QPointF b, bool flatStart = false, bool flatEnd = false);
    /// The segments of an open (or, `closed`, closed) polyline, the ends capped as given.
    void AddPolyline(const QPolygonF& points, bool closed, bool flatEnds);
    /// The "on" pieces of a dash pattern (lengths in device units, on first) along the polyline;
    /// the pieces are capped flat or round.
    void AddDashed(const QPolygonF& points, bool closed, const std::vector<double>& pattern, bool flatEnds);
    /// Blends the stroke in the colour (alpha ignored) at the painter's coordinates and forgets
    /// it. With a `target` (the painter's own image, RGB32 or premultiplied ARGB32, painted
    /// without transformation or a clip beyond the bounds) the pixels are written directly.
    void Paint(QPainter& painter, const QColor& colour, QImage* target = nullptr);
    /// What the coverage of the pixels of one segment reads (device units).
    struct SegmentCover
    {
        double ax; ///< start
        double ay;
        double ux; ///< unit direction
        double uy;
        double low;  ///< "along" is held within [low, high] for the nearest point (+-1e300 at an
        double high; ///< open end, not rounded: its cut ends it there)
        double radius;
        bool cutStart;
        bool cutEnd;
        double startX; ///< the start cut's point and inward unit vector, when cutStart
        double startY;
        double startDX;
        double startDY;
        double endX;
        double endY;
        double endDX;
        double endDY;
    };
    /// What the coverage of the pixels of one row of one segment reads besides.
    struct RowCover
    {
        double pyuy; ///< (row centre - start y) * uy
        double pyux;
        double startRow; ///< the row's part of the distance past each cut
        double endRow;
    };

    /// A segment's SegmentCover as the processor's vector operations read it.
    struct Lanes;

    /// Tiles the stroke has touched so far.
    int TouchedTileCount() const { return static_cast<int>(m_used.size()); }
    /// Coverage of one device pixel of the current stroke; 0 outside the bounds.
    int CoverageAt(int x, int y) const;
    /// On, every pixel is computed one at a time by the plain arithmetic, not two at a time by
    /// the processor's vector operations: the picture the fast path must match bit for bit.
    static void SetReferencePath(bool on) { s_referencePath = on; }
    static bool IsReferencePath() { return s_referencePath; }

private:
    /// A flat end's edge: coverage ramps up across the line through `point` at right angles
    /// to `inward`, a unit vector pointing into the stroke.
    struct Cut
    {
        QPointF point;
        QPointF inward;
    };
    /// `before` and `after`: the unit directions of the segments that end at a and start at b
    /// (cut as this one is, round where they meet it), which share the pixels of the joins
    /// with it; null where there is none, or one of no length.
    void AddCutSegment(QPointF a, QPointF b, bool openStart, bool openEnd, const Cut* startCut,
                       const Cut* endCut, const QPointF* before = nullptr, const QPointF* after = nullptr);
    /// An open piece of a stroke; flat ends cut every segment that reaches past them, so that a
    /// round join near an end never shows beyond it.
    void AddPiece(const QPolygonF& piece, bool flatEnds);
    /// The slot of the tile, cleared when first touched.
    int Tile(int tx, int ty);
    int NewTile(int index);
    /// Leaves no tile in use, the grid's slots of those there were set to -1.
    void ForgetTiles();
    /// The pixels x0..x1 of row y: each takes the larger of its coverage and the segment's.
    void Run(int y, int x0, int x1, const SegmentCover& cover, const Lanes& lanes);
    /// Every pixel of rows top..bottom, columns x0..x1 (at most 2 x Pairs of them), all within
    /// one tile, as Run does them.
    template <bool Cuts, int Pairs>
    void LayBox(const SegmentCover& cover, const Lanes& lanes, int top, int bottom, int x0, int x1);
    /// Whether every pixel of rows top..bottom, columns x0..x1 of the image SkipWhereAlready
    /// gave holds its colour (those off the image are never painted, so they count as holding it).
    bool AlreadyColoured(int top, int bottom, int x0, int x1) const;
    void Blend(QImage& target, const QColor& colour);
    void DrawTiles(QPainter& painter, const QColor& colour) const;

    static bool s_referencePath;

    QRect m_bounds;
    const QImage* m_unchanged = nullptr; ///< of SkipWhereAlready, or null
    const unsigned char* m_targetBits = nullptr; ///< of BlendsInto: the pixels, or null
    std::ptrdiff_t m_targetStride = 0;
    std::uint32_t m_unchangedColour = 0;
    double m_radius = 0.5; ///< half the width plus half a pixel of ramp
    int m_columns = 0;
    int m_rows = 0;
    std::vector<int> m_grid; ///< per tile: index into m_used, or -1
    std::vector<int> m_used; ///< grid index of each tile in use, in order of first touch
    std::vector<std::uint8_t> m_coverage;
    std::vector<std::uint8_t> m_spans; ///< per tile row: first and last column touched
    std::vector<double> m_reached;     ///< working list of AddPiece
    std::vector<QPointF> m_units;      ///< working list of AddPiece and AddPolyline
    QPolygonF m_piece;                 ///< working list of AddDashed
};
