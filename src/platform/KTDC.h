#pragma once
// The device context everything of the program draws on: the subset of the platform's
// graphics interface the drawing code uses, with the same method names and numeric codes.
//
// Coordinates given to drawing calls are logical units; the context maps them to device units
// (the painter's own coordinates: pixels of a widget or image, dots of a printer) through the
// mapping mode, origins and extents, and draws with QPainter, antialiased; wide round-joined
// lines on raster devices go through KTLineRaster, which strokes them many times faster. Text
// is always drawn upright, whatever the direction of the mapping's y axis; only a font's
// escapement turns it.
//
// As on the platform: boxes (rectangles, ellipses, fills, clips) snap to whole device units;
// in OPAQUE background mode the gaps of dashed lines and of hatch brushes take the background
// colour; font sizes come out in whole device units, so text measures slightly differently at
// different resolutions (a layout is measured on the context it is drawn on).
//
// A context without a painter measures only (layout, tests): its device is described by a
// resolution and a size, and drawing calls are recorded (when recording is on) but paint nothing.

#include "platform/CString.h"
#include "platform/KTBrush.h"
#include "platform/KTDCRecord.h"
#include "platform/KTFont.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTPen.h"

#include <QRectF>

#include <memory>
#include <vector>

class QFont;
class QImage;
class QPainter;
class QPainterPath;
class QPaintDevice;
class QPen;
class QPolygonF;
class QString;
class QTransform;

// GetDeviceCaps indices
constexpr int HORZSIZE = 4;        ///< device width in millimetres
constexpr int VERTSIZE = 6;        ///< device height in millimetres
constexpr int HORZRES = 8;         ///< device width in device units
constexpr int VERTRES = 10;        ///< device height in device units
constexpr int LOGPIXELSX = 88;     ///< device units per inch horizontally
constexpr int LOGPIXELSY = 90;     ///< device units per inch vertically
constexpr int PHYSICALWIDTH = 110; ///< same as HORZRES here
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112; ///< always 0 here
constexpr int PHYSICALOFFSETY = 113;

// Clipping results
constexpr int KT_REGION_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

/// HIMETRIC units per inch.
constexpr int HIMETRIC_INCH = 2540;

class KTDC
{
public:
    /// A measuring-only context of the given resolution (dots per inch) and device size.
    explicit KTDC(int dpiX = 96, int dpiY = 96, CSize deviceSize = CSize(0, 0));
    /// Draws through an active painter, which it does not own; the painter's state is restored
    /// when the context is destroyed. The resolution is the painter's device's logical DPI.
    explicit KTDC(QPainter* painter);
    /// Opens its own painter on the device and ends it when destroyed.
    explicit KTDC(QPaintDevice* device);
    ~KTDC();
    KTDC(const KTDC&) = delete;
    KTDC& operator=(const KTDC&) = delete;

    /// The painter drawn through, or null for a measuring-only context.
    QPainter* GetPainter() const { return m_painter; }
    /// On, the points a polyline leaves out are found by the plain arithmetic alone, not
    /// mostly by the faster test without its division: the choice the fast test must match.
    static void SetReferencePolylinePath(bool on) { s_referencePolylinePath = on; }
    /// Fewest points of one PolyPolyline call of thin lines that go to threads (tests lower it).
    static void SetThreadedPolylinePoints(long long points) { s_threadedPolylinePoints = points; }
    /// Overrides the device resolution (dots per inch, at least 1) that the metric modes use.
    void SetResolution(int dpiX, int dpiY);
    /// LOGPIXELSX/Y, HORZRES/VERTRES, HORZSIZE/VERTSIZE, PHYSICAL*; 0 for other indices.
    int GetDeviceCaps(int index) const;
    /// Whether this context draws a printed page (set by whoever prints).
    bool IsPrinting() const { return m_printing; }
    void SetPrinting(bool printing) { m_printing = printing; }

    // ---- mapping -------------------------------------------------------------------------
    /// MM_TEXT, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC,
    /// MM_ANISOTROPIC; returns the previous mode, 0 for an unknown mode (nothing changes).
    /// Switching to MM_ISOTROPIC/MM_ANISOTROPIC keeps the current scale as the extents.
    int SetMapMode(int mode);
    int GetMapMode() const { return m_mapMode; }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(CPoint point) { return SetWindowOrg(point.x, point.y); }
    CPoint OffsetWindowOrg(int dx, int dy);
    CPoint GetWindowOrg() const { return m_windowOrg; }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(CPoint point) { return SetViewportOrg(point.x, point.y); }
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const { return m_viewportOrg; }
    /// Extents change only in MM_ISOTROPIC and MM_ANISOTROPIC (other modes return the current
    /// extent and keep it); a zero extent is refused. MM_ISOTROPIC shrinks the viewport extent
    /// so that both axes have the same scale.
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(CSize size) { return SetWindowExt(size.cx, size.cy); }
    CSize GetWindowExt() const { return m_windowExt; }
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(CSize size) { return SetViewportExt(size.cx, size.cy); }
    CSize GetViewportExt() const { return m_viewportExt; }

    /// Logical <-> device, rounded to the nearest unit (held within the int range).
    void LPtoDP(CPoint* points, int count = 1) const;
    void LPtoDP(CRect* rect) const;
    /// Sizes are lengths: scaled by the absolute ratios of the extents, signs kept.
    void LPtoDP(CSize* size) const;
    void DPtoLP(CPoint* points, int count = 1) const;
    void DPtoLP(CRect* rect) const;
    void DPtoLP(CSize* size) const;
    /// HIMETRIC lengths <-> device lengths at the device resolution, whatever the mapping mode.
    void HIMETRICtoDP(CSize* size) const;
    void HIMETRICtoDP(CPoint* point) const;
    void DPtoHIMETRIC(CSize* size) const;
    void DPtoHIMETRIC(CPoint* point) const;
    /// HIMETRIC lengths <-> logical lengths (through device units).
    void HIMETRICtoLP(CSize* size) const;
    void LPtoHIMETRIC(CSize* size) const;
    /// Device units per logical unit along x and y (y negative when the logical y axis points up).
    double ScaleX() const;
    double ScaleY() const;

    // ---- objects -------------------------------------------------------------------------
    /// Selects a copy of the object and returns the one it replaces. Selecting an object that
    /// was never created changes nothing and returns a never-created object.
    KTPen SelectObject(const KTPen& pen);
    KTBrush SelectObject(const KTBrush& brush);
    KTFont SelectObject(const KTFont& font);
    /// Selects a stock pen, brush or font (KTPen::Stock, KTBrush::Stock, KTFont::Stock).
    void SelectStockObject(KTStockObject kind);
    const KTPen& GetCurrentPen() const { return m_state.pen; }
    const KTBrush& GetCurrentBrush() const { return m_state.brush; }
    const KTFont& GetCurrentFont() const { return m_state.font; }

    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_state.textColour; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_state.bkColour; }
    /// OPAQUE or TRANSPARENT; returns the previous mode, 0 for another value (nothing changes).
    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }
    /// TA_LEFT/TA_CENTER/TA_RIGHT combined with TA_TOP/TA_BASELINE/TA_BOTTOM (and TA_UPDATECP).
    unsigned SetTextAlign(unsigned align);
    unsigned GetTextAlign() const { return m_state.textAlign; }
    /// ALTERNATE or WINDING; returns the previous mode, 0 for another value.
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const { return m_state.polyFillMode; }

    // ---- lines and shapes (logical units) ---------------------------------------------------
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint point) { return MoveTo(point.x, point.y); }
    CPoint GetCurrentPosition() const { return m_state.position; }
    /// A line from the current position to the point, which becomes the current position.
    bool LineTo(int x, int y);
    bool LineTo(CPoint point) { return LineTo(point.x, point.y); }
    bool Polyline(const CPoint* points, int count);
    /// The polylines of `counts[k]` points each, one after the other in `points`: as many calls
    /// of Polyline (and recorded as such), drawn at once where the device allows.
    bool PolyPolyline(const CPoint* points, const int* counts, int polylines);
    /// Filled with the brush by the polygon fill mode, outlined with the pen; closed.
    bool Polygon(const CPoint* points, int count);
    /// Outlined with the pen, filled with the brush; an inside-frame pen keeps within the box.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Rectangle(const CRect& rect) { return Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    bool Ellipse(int left, int top, int right, int bottom);
    bool Ellipse(const CRect& rect) { return Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    /// The sector of the ellipse in the box from the radial through `start` anticlockwise (as
    /// seen on the device) to the radial through `end`; the same radials draw the whole ellipse.
    bool Pie(const CRect& rect, CPoint start, CPoint end);
    /// One device pixel at the logical point; returns the colour set.
    COLORREF SetPixel(int x, int y, COLORREF colour);
    COLORREF SetPixel(CPoint point, COLORREF colour) { return SetPixel(point.x, point.y, colour); }
    /// Fills the rectangle with the colour (no outline); the background colour is unchanged.
    void FillSolidRect(const CRect& rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    /// Fills the rectangle with the brush (no outline).
    void FillRect(const CRect& rect, const KTBrush& brush);

    // ---- text (logical units) ----------------------------------------------------------------
    /// Draws the text at the point by the text alignment; in OPAQUE mode its cell is first
    /// filled with the background colour. Single-byte Windows-1252 text, or Symbol codes when
    /// the Symbol face is selected.
    bool TextOut(int x, int y, const CString& text);
    /// As TextOut; ETO_OPAQUE fills `rect` with the background colour first, ETO_CLIPPED clips
    /// the text to it (`rect` may be null when neither is set).
    bool ExtTextOut(int x, int y, unsigned options, const CRect* rect, const CString& text);
    /// Width (advance) and cell height of the text in the selected font, in logical units.
    CSize GetTextExtent(const CString& text) const;
    CSize GetTextExtent(const char* text, int count) const;
    /// Metrics of the selected font in logical units (heights along y, widths along x).
    bool GetTextMetrics(TEXTMETRIC* metrics) const;
    /// The ink of the character in the selected font, in logical units, from its outline (not
    /// from its hinted pixels); a character without ink has an empty black box.
    bool GetGlyphMetrics(char character, GLYPHMETRICS* metrics) const;

    // ---- clipping and state ----------------------------------------------------------------
    /// Narrows the clipping region to the logical rectangle; returns NULLREGION when nothing is
    /// left, else SIMPLEREGION.
    int IntersectClipRect(int left, int top, int right, int bottom);
    int IntersectClipRect(const CRect& rect)
    {
        return IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom);
    }
    /// Replaces the clipping region by the logical rectangle, or removes it for null.
    int SelectClipRect(const CRect* rect);
    /// The clip box in logical units (the whole device when there is no clip); SIMPLEREGION,
    /// NULLREGION, or COMPLEXREGION never.
    int GetClipBox(CRect* rect) const;
    /// Saves the whole state (mapping, objects, colours, modes, clip, position); returns the new
    /// level, counting from 1.
    int SaveDC();
    /// Restores a saved level (negative: relative to the newest, -1 the newest) and drops the
    /// levels above it; false when there is no such level.
    bool RestoreDC(int level);

    // ---- recording -------------------------------------------------------------------------
    /// When on, every drawing call is kept (in logical units) until ClearRecords.
    void SetRecording(bool on) { m_recording = on; }
    bool IsRecording() const { return m_recording; }
    const std::vector<KTDCRecord>& GetRecords() const { return m_records; }
    void ClearRecords() { m_records.clear(); }

    /// The Unicode text Qt draws for single-byte text in the given font: Windows-1252 for
    /// ordinary faces, the Symbol encoding for the Symbol face.
    static QString DecodeText(const CString& text, const KTFont& font);

private:
    struct State
    {
        KTPen pen;
        KTBrush brush;
        KTFont font;
        COLORREF textColour = 0;
        COLORREF bkColour = 0xFFFFFF;
        int bkMode = OPAQUE;
        unsigned textAlign = TA_LEFT | TA_TOP;
        int polyFillMode = ALTERNATE;
        CPoint position;
        bool clipped = false;
        QRectF clip; ///< device units
    };
    struct Saved;
    struct FontCache;

    void AttachPainter();
    void InitDefaults();
    void SetMetricExtents();
    void AdjustIsotropic();
    void ApplyClip();
    void Record(KTDCRecord record);
    KTDCRecord MakeRecord(KTDCRecordKind kind) const;
    QPointF ToDevice(double x, double y) const;
    QPointF ToLogical(double x, double y) const;
    QPointF ToPixelCentre(CPoint point) const;
    QRectF DeviceBox(int left, int top, int right, int bottom) const;
    QRectF OutlineBox(const QRectF& box) const;
    bool PenDraws() const;
    double PenDeviceWidth() const;
    QPen MakeQPen() const;
    void StrokePath(const QPainterPath& path);
    /// Strokes the device-unit polyline with the pen by the wide-line rasteriser when the
    /// painter and pen allow it (a raster device, no scaling, a round-joined pen wider than one
    /// unit); false when the caller must stroke it as a path.
    bool StrokeFast(const QPolygonF& points, bool closed);
    /// The painter's own coordinates (under a translation-only transform) that reach pixels of
    /// the device the engine paints into, within the system clip.
    QRect PaintableArea(const QTransform& transform) const;
    /// The polyline in device units (pixel centres), without the points that lie within a tenth
    /// of a unit of the line through their neighbours.
    QPolygonF DevicePolyline(const CPoint* points, int count) const;
    /// Polyline's drawing, without its record.
    void DrawPolyline(const CPoint* points, int count);
    /// The pen as a thin solid line for Qt's thin-line stroker on an image, or false.
    bool ThinRasterPen(QPen& pen) const;
    /// PolyPolyline's thin lines drawn on threads, each into rows of the image of its own; false
    /// (nothing drawn) where the painter does not allow it or the lines are too few to gain.
    bool ThinPolylinesInRows(const CPoint* points, const int* counts, int polylines, const QPen& thin);
    static inline bool s_referencePolylinePath = false;
    static inline long long s_threadedPolylinePoints = 16384;
    void FillPath(const QPainterPath& path, const KTBrush& brush);
    QPaintDevice* MeasureDevice() const;
    QFont DeviceFont() const;
    bool DrawText(int x, int y, unsigned options, const CRect* rect, const CString& text);

    QPainter* m_painter = nullptr;
    std::unique_ptr<QPainter> m_ownedPainter;
    bool m_painterSaved = false;
    bool m_initialClip = false;
    std::unique_ptr<QPainterPath> m_initialClipPath;
    mutable std::unique_ptr<QImage> m_measureDevice;
    mutable std::unique_ptr<FontCache> m_fontCache;
    int m_dpiX = 96;
    int m_dpiY = 96;
    CSize m_deviceSize;
    bool m_printing = false;
    int m_mapMode = MM_TEXT;
    CPoint m_windowOrg;
    CPoint m_viewportOrg;
    CSize m_windowExt{1, 1};
    CSize m_viewportExt{1, 1};
    State m_state;
    std::vector<Saved> m_saved;
    bool m_recording = false;
    std::vector<KTDCRecord> m_records;
};
