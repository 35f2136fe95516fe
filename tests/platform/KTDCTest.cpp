#include "platform/KTDC.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <ostream>

// Readable failure messages.
std::ostream& operator<<(std::ostream& out, const CPoint& p)
{
    return out << "(" << p.x << ", " << p.y << ")";
}
std::ostream& operator<<(std::ostream& out, const CSize& s)
{
    return out << "[" << s.cx << " x " << s.cy << "]";
}
std::ostream& operator<<(std::ostream& out, const CRect& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

/// A white 96-dpi image to draw on.
QImage Canvas(int width = 200, int height = 200, int dpi = 96)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    image.fill(kWhite);
    return image;
}

bool IsInk(QRgb pixel)
{
    return (pixel | 0xFF000000) != kWhite;
}

/// Count of non-white pixels inside the rectangle (device pixels, right and bottom excluded).
int InkIn(const QImage& image, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
        for (int x = std::max(0, left); x < std::min(image.width(), right); ++x)
            count += IsInk(image.pixel(x, y)) ? 1 : 0;
    return count;
}

/// Bounding box of all ink, or an empty rect.
CRect InkBox(const QImage& image)
{
    CRect box(image.width(), image.height(), -1, -1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsInk(image.pixel(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.right < 0 ? CRect() : box;
}

/// Rows of a column that hold ink (a horizontal line's thickness at that column).
int InkRowsAt(const QImage& image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += IsInk(image.pixel(x, y)) ? 1 : 0;
    return rows;
}

KTFont MakeFont(int height, const char* face, int escapement = 0, int weight = FW_NORMAL)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
    KTFont font;
    font.CreateFontIndirect(lf);
    return font;
}

KTPen GeometricPen(int style, int width, COLORREF colour = RGB(0, 0, 0))
{
    KTPen pen;
    pen.CreatePen(PS_GEOMETRIC | style, width, LOGBRUSH{BS_SOLID, colour, 0});
    return pen;
}

} // namespace

// ---- mapping ---------------------------------------------------------------------------------------

TEST(KTDCTest, MappingModesMapExactPoints)
{
    struct Row
    {
        const char* name;
        int mode;
        CSize windowExt, viewportExt; // only for the scalable modes
        CPoint windowOrg, viewportOrg;
        CPoint logical;
        CPoint device;
    };
    const Row rows[] = {
        {"text", MM_TEXT, {}, {}, {0, 0}, {0, 0}, {17, -4}, {17, -4}},
        {"text origins", MM_TEXT, {}, {}, {10, 20}, {5, 5}, {17, 24}, {12, 9}},
        {"himetric inch", MM_HIMETRIC, {}, {}, {0, 0}, {0, 0}, {2540, -2540}, {96, 96}},
        {"himetric origin", MM_HIMETRIC, {}, {}, {0, 0}, {0, 300}, {1270, 1270}, {48, 252}},
        {"lometric", MM_LOMETRIC, {}, {}, {0, 0}, {0, 0}, {254, 508}, {96, -192}},
        {"loenglish", MM_LOENGLISH, {}, {}, {0, 0}, {0, 0}, {100, -50}, {96, 48}},
        {"hienglish", MM_HIENGLISH, {}, {}, {0, 0}, {0, 0}, {1000, 0}, {96, 0}},
        {"twips", MM_TWIPS, {}, {}, {0, 0}, {0, 0}, {1440, 720}, {96, -48}},
        {"anisotropic", MM_ANISOTROPIC, {100, 100}, {200, -50}, {0, 0}, {10, 300}, {50, 20}, {110, 290}},
        {"anisotropic origin", MM_ANISOTROPIC, {10, 10}, {10, 10}, {-5, 7}, {0, 0}, {0, 0}, {5, -7}},
        {"isotropic shrinks", MM_ISOTROPIC, {100, 100}, {400, -200}, {0, 0}, {0, 0}, {100, 100}, {200, -200}},
    };
    for (const Row& row : rows) {
        KTDC dc(96, 96);
        dc.SetMapMode(row.mode);
        dc.SetWindowExt(row.windowExt.cx == 0 ? CSize(1, 1) : row.windowExt);
        dc.SetViewportExt(row.viewportExt.cx == 0 ? CSize(1, 1) : row.viewportExt);
        dc.SetWindowOrg(row.windowOrg);
        dc.SetViewportOrg(row.viewportOrg);
        CPoint p = row.logical;
        dc.LPtoDP(&p);
        EXPECT_EQ(p, row.device) << row.name;
        dc.DPtoLP(&p);
        EXPECT_EQ(p, row.logical) << row.name;
    }
}

TEST(KTDCTest, DeviceToLogicalToDeviceIsExactInEveryMode)
{
    const int modes[] = {MM_TEXT,      MM_LOMETRIC, MM_HIMETRIC,  MM_LOENGLISH,
                         MM_HIENGLISH, MM_TWIPS,    MM_ISOTROPIC, MM_ANISOTROPIC};
    for (int dpi : {72, 96, 150, 300, 600}) {
        for (int mode : modes) {
            KTDC dc(dpi, dpi);
            dc.SetMapMode(mode);
            dc.SetWindowExt(1000, 1000);
            dc.SetViewportExt(dpi, -dpi);
            dc.SetViewportOrg(13, 400);
            dc.SetWindowOrg(-250, 75);
            // Exact only where a logical unit is no larger than a device unit.
            if (std::abs(dc.ScaleX()) > 1 || std::abs(dc.ScaleY()) > 1)
                continue;
            for (int x = -50; x <= 50; x += 7)
                for (int y = -30; y <= 30; y += 11) {
                    CPoint device(x, y);
                    CPoint p = device;
                    dc.DPtoLP(&p);
                    dc.LPtoDP(&p);
                    EXPECT_EQ(p, device) << "mode " << mode << " dpi " << dpi;
                }
        }
    }
}

TEST(KTDCTest, ExtentsChangeOnlyInScalableModes)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    const CSize himetric = dc.GetWindowExt();
    EXPECT_EQ(dc.SetWindowExt(5, 5), himetric);
    EXPECT_EQ(dc.GetWindowExt(), himetric);

    // The scalable modes start from the scale in force.
    EXPECT_EQ(dc.SetMapMode(MM_ANISOTROPIC), MM_HIMETRIC);
    CPoint p(2540, 2540);
    dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(96, -96));

    // A zero extent would divide by zero: refused.
    EXPECT_EQ(dc.SetWindowExt(0, 10), himetric);
    EXPECT_EQ(dc.GetWindowExt(), himetric);
    EXPECT_EQ(dc.SetMapMode(99), 0);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
}

TEST(KTDCTest, SizesAndRectanglesConvert)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetViewportOrg(0, 100);

    CSize size(2540, 1270); // lengths keep their signs whatever the y direction
    dc.LPtoDP(&size);
    EXPECT_EQ(size, CSize(96, 48));
    dc.DPtoLP(&size);
    EXPECT_EQ(size, CSize(2540, 1270));

    CRect rect(0, 0, 2540, -2540);
    dc.LPtoDP(&rect);
    EXPECT_EQ(rect, CRect(0, 100, 96, 196));
    dc.DPtoLP(&rect);
    EXPECT_EQ(rect, CRect(0, 0, 2540, -2540));
}

TEST(KTDCTest, HimetricConversionsFollowTheResolution)
{
    struct Row
    {
        int dpi;
        CSize himetric;
        CSize device;
    };
    const Row rows[] = {
        {96, {250, 250}, {9, 9}},                               // 9.45 pixels
        {100, {250, 250}, {10, 10}},                            // 9.84
        {96, {2540, -2540}, {96, -96}}, {600, {25, 0}, {6, 0}}, // 5.9
        {72, {0, 35}, {0, 1}},                                  // one point
    };
    for (const Row& row : rows) {
        for (int mode : {MM_TEXT, MM_HIMETRIC, MM_ANISOTROPIC}) {
            KTDC dc(row.dpi, row.dpi);
            dc.SetMapMode(mode);
            CSize s = row.himetric;
            dc.HIMETRICtoDP(&s);
            EXPECT_EQ(s, row.device) << row.dpi << " mode " << mode;
            CPoint p(row.himetric.cx, row.himetric.cy);
            dc.HIMETRICtoDP(&p);
            EXPECT_EQ(p, CPoint(row.device.cx, row.device.cy));
        }
    }
    KTDC dc(96, 96);
    CSize inch(96, 48);
    dc.DPtoHIMETRIC(&inch);
    EXPECT_EQ(inch, CSize(2540, 1270));

    // HIMETRIC to logical is the identity in MM_HIMETRIC and the device length in MM_TEXT.
    dc.SetMapMode(MM_HIMETRIC);
    CSize same(1234, 567);
    dc.HIMETRICtoLP(&same);
    EXPECT_EQ(same, CSize(1234, 567));
    dc.LPtoHIMETRIC(&same);
    EXPECT_EQ(same, CSize(1234, 567));
}

TEST(KTDCTest, DeviceCapsDescribeTheDevice)
{
    QImage image = Canvas(300, 150, 150);
    KTDC dc(&image);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 150);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 150);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 300);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 150);
    EXPECT_EQ(dc.GetDeviceCaps(HORZSIZE), 51); // 2 inches
    EXPECT_EQ(dc.GetDeviceCaps(12345), 0);

    KTDC measuring(300, 200, CSize(10, 20));
    EXPECT_EQ(measuring.GetDeviceCaps(LOGPIXELSX), 300);
    EXPECT_EQ(measuring.GetDeviceCaps(LOGPIXELSY), 200);
    EXPECT_EQ(measuring.GetDeviceCaps(VERTRES), 20);
    EXPECT_EQ(measuring.GetPainter(), nullptr);
}

// ---- objects and state -----------------------------------------------------------------------------

TEST(KTDCTest, SelectObjectReturnsThePreviousObject)
{
    KTDC dc;
    EXPECT_EQ(dc.GetCurrentPen(), KTPen::Stock(KTStockObject::BlackPen));
    EXPECT_EQ(dc.GetCurrentBrush(), KTBrush::Stock(KTStockObject::WhiteBrush));
    EXPECT_TRUE(dc.GetCurrentFont().IsCreated());

    const KTPen red(PS_DASH, 3, RGB(255, 0, 0));
    EXPECT_EQ(dc.SelectObject(red), KTPen::Stock(KTStockObject::BlackPen));
    EXPECT_EQ(dc.GetCurrentPen(), red);
    // A pen never created changes nothing, as a failed creation does on the platform.
    EXPECT_FALSE(dc.SelectObject(KTPen()).IsCreated());
    EXPECT_EQ(dc.GetCurrentPen(), red);

    KTBrush hatch;
    hatch.CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
    EXPECT_EQ(dc.SelectObject(hatch), KTBrush::Stock(KTStockObject::WhiteBrush));
    dc.SelectStockObject(KTStockObject::NullBrush);
    EXPECT_TRUE(dc.GetCurrentBrush().IsNullBrush());
    EXPECT_EQ(dc.GetCurrentPen(), red); // a stock brush leaves the pen alone

    const KTFont font = MakeFont(-200, "Arial");
    const KTFont previous = dc.SelectObject(font);
    EXPECT_EQ(dc.SelectObject(previous), font);

    EXPECT_EQ(dc.SetTextColor(RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(dc.SetBkColor(RGB(4, 5, 6)), RGB(255, 255, 255));
    EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(dc.SetBkMode(77), 0);
    EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(dc.SetTextAlign(TA_CENTER | TA_BOTTOM), TA_LEFT | TA_TOP);
    EXPECT_EQ(dc.SetPolyFillMode(WINDING), ALTERNATE);
    EXPECT_EQ(dc.SetPolyFillMode(0), 0);
}

TEST(KTDCTest, BrushesFallBackToSolid)
{
    struct Row
    {
        LOGBRUSH in;
        int style;
        int hatch;
    };
    const Row rows[] = {
        {{BS_SOLID, RGB(1, 2, 3), 0}, BS_SOLID, 0},
        {{BS_NULL, 0, 0}, BS_NULL, 0},
        {{BS_HATCHED, RGB(9, 9, 9), HS_DIAGCROSS}, BS_HATCHED, HS_DIAGCROSS},
        {{BS_HATCHED, RGB(9, 9, 9), 6}, BS_SOLID, 0},  // unknown hatch
        {{BS_HATCHED, RGB(9, 9, 9), -1}, BS_SOLID, 0}, // unknown hatch
        {{3, RGB(7, 7, 7), 0}, BS_SOLID, 0},           // pattern brushes do not exist here
        {{0xFFFFFFFF, RGB(7, 7, 7), 0}, BS_SOLID, 0},
    };
    for (const Row& row : rows) {
        KTBrush brush;
        ASSERT_TRUE(brush.CreateBrushIndirect(row.in));
        LOGBRUSH out;
        ASSERT_TRUE(brush.GetLogBrush(&out));
        EXPECT_EQ(static_cast<int>(out.lbStyle), row.style) << row.in.lbStyle << "/" << row.in.lbHatch;
        EXPECT_EQ(out.lbHatch, row.hatch);
        EXPECT_EQ(out.lbColor, row.in.lbColor);
    }
    LOGBRUSH none;
    EXPECT_FALSE(KTBrush().GetLogBrush(&none));
}

TEST(KTDCTest, PensKeepTheirDescription)
{
    const KTPen geometric = GeometricPen(PS_DASHDOT | PS_ENDCAP_FLAT, 35, RGB(0, 128, 0));
    EXPECT_TRUE(geometric.IsGeometric());
    EXPECT_EQ(geometric.GetStyle(), PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_DASHDOT);
    EXPECT_EQ(geometric.GetDashStyle(), PS_DASHDOT);
    EXPECT_EQ(geometric.GetWidth(), 35);
    EXPECT_EQ(geometric.GetColor(), RGB(0, 128, 0));

    KTPen cosmetic;
    cosmetic.CreatePen(PS_COSMETIC | PS_DOT, 40, LOGBRUSH{BS_SOLID, 0, 0});
    EXPECT_FALSE(cosmetic.IsGeometric());
    EXPECT_EQ(cosmetic.GetWidth(), 1); // cosmetic pens are one unit wide

    KTPen hollow;
    hollow.CreatePen(PS_GEOMETRIC | PS_SOLID, 10, LOGBRUSH{BS_NULL, 0, 0});
    EXPECT_TRUE(hollow.IsNullPen());

    const KTPen simple(PS_GEOMETRIC | PS_DASH, -4, RGB(1, 1, 1));
    EXPECT_FALSE(simple.IsExtended());
    EXPECT_EQ(simple.GetStyle(), PS_DASH); // the simple creation ignores the type bits
    EXPECT_EQ(simple.GetWidth(), 0);
}

TEST(KTDCTest, FontFacesAreCutAndResolved)
{
    LOGFONT lf;
    std::memset(lf.lfFaceName, 'x', sizeof lf.lfFaceName); // no terminator at all
    KTFont font;
    font.CreateFontIndirect(lf);
    EXPECT_EQ(std::strlen(font.GetLogFont().lfFaceName), 31u);

    struct Row
    {
        const char* face;
        const char* family;
    };
    const Row rows[] = {
        {"Arial", "Liberation Sans"},       {"arial", "Liberation Sans"},
        {"Symbol", "Standard Symbols PS"},  {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"}, {"", "Liberation Sans"},
        {"DejaVu Sans", "DejaVu Sans"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KTFont::ResolveFamily(row.face).toStdString(), row.family) << row.face;
    EXPECT_TRUE(MakeFont(-10, "Symbol").IsSymbolFont());
    EXPECT_FALSE(MakeFont(-10, "Arial").IsSymbolFont());
}

TEST(KTDCTest, SaveAndRestoreLevels)
{
    KTDC dc;
    dc.SetTextColor(RGB(1, 1, 1));
    const int first = dc.SaveDC();
    EXPECT_EQ(first, 1);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SelectObject(KTPen(PS_DOT, 1, RGB(2, 2, 2)));
    dc.SetTextColor(RGB(2, 2, 2));
    dc.IntersectClipRect(0, 0, 100, -100);
    EXPECT_EQ(dc.SaveDC(), 2);
    dc.SetTextColor(RGB(3, 3, 3));
    dc.SetWindowOrg(5, 5);

    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetTextColor(), RGB(2, 2, 2));
    EXPECT_EQ(dc.GetWindowOrg(), CPoint(0, 0));
    EXPECT_EQ(dc.GetMapMode(), MM_HIMETRIC);

    EXPECT_TRUE(dc.RestoreDC(first));
    EXPECT_EQ(dc.GetTextColor(), RGB(1, 1, 1));
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    EXPECT_EQ(dc.GetCurrentPen(), KTPen::Stock(KTStockObject::BlackPen));
    CRect clip;
    dc.GetClipBox(&clip);
    EXPECT_FALSE(dc.RestoreDC(1)); // already dropped
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(0));
}

TEST(KTDCTest, RecordingKeepsLogicalUnits)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.MoveTo(100, -200);
    dc.LineTo(300, -400);
    const CPoint triangle[] = {{0, 0}, {10, 0}, {0, 10}};
    dc.SetPolyFillMode(WINDING);
    dc.Polygon(triangle, 3);
    dc.SetTextAlign(TA_BOTTOM);
    dc.SelectObject(MakeFont(-388, "Symbol"));
    dc.TextOut(5, 6, "a");
    EXPECT_FALSE(dc.Polyline(triangle, 1)); // one point is no line: refused, not recorded

    const auto& records = dc.GetRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].kind, KTDCRecordKind::Line);
    EXPECT_EQ(records[0].points, (std::vector<CPoint>{{100, -200}, {300, -400}}));
    EXPECT_EQ(records[1].kind, KTDCRecordKind::Polygon);
    EXPECT_EQ(records[1].polyFillMode, WINDING);
    EXPECT_EQ(records[1].points.size(), 3u);
    EXPECT_EQ(records[2].kind, KTDCRecordKind::Text);
    EXPECT_EQ(records[2].text, "a");
    EXPECT_EQ(records[2].textAlign, TA_BOTTOM);
    EXPECT_TRUE(records[2].font.IsSymbolFont());
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(300, -400));
    dc.ClearRecords();
    EXPECT_TRUE(dc.GetRecords().empty());
}

// ---- text measuring --------------------------------------------------------------------------------

TEST(KTDCTest, TextMetricsInHimetric)
{
    KTDC dc(600, 600);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SelectObject(MakeFont(-388, "Arial")); // 11 points
    TEXTMETRIC tm;
    ASSERT_TRUE(dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    // Liberation Sans: ascent 0.905 em, descent 0.212 em.
    EXPECT_NEAR(tm.tmAscent, 0.905 * 388, 8);
    EXPECT_NEAR(tm.tmDescent, 0.212 * 388, 8);
    EXPECT_NEAR(tm.tmInternalLeading, tm.tmHeight - 388, 3);
    EXPECT_GT(tm.tmAveCharWidth, 388 / 4);
    EXPECT_LT(tm.tmAveCharWidth, 388);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);

    const CSize m = dc.GetTextExtent("M");
    EXPECT_EQ(m.cy, tm.tmHeight);
    EXPECT_NEAR(m.cx, 0.833 * 388, 8); // the advance of "M"
    const CSize mm = dc.GetTextExtent("MMMM");
    EXPECT_NEAR(mm.cx, 4 * m.cx, 4);
    EXPECT_EQ(dc.GetTextExtent("").cx, 0);
    EXPECT_EQ(dc.GetTextExtent("MMMM", 2).cx, dc.GetTextExtent("MM").cx);

    // A positive height asks for the cell height.
    dc.SelectObject(MakeFont(500, "Arial"));
    dc.GetTextMetrics(&tm);
    EXPECT_NEAR(tm.tmHeight, 500, 3);
}

TEST(KTDCTest, TextExtentsHoldAcrossResolutionsAndModes)
{
    // Font sizes come in whole device units, so a measurement at d dots per inch may differ from
    // the exact one by half a unit in the em size; 1200 dpi is as good as exact.
    const CString text = "y = sin(x) + 1.5";
    KTDC fine(1200, 1200);
    fine.SetMapMode(MM_HIMETRIC);
    fine.SelectObject(MakeFont(-388, "Arial"));
    const CSize exact = fine.GetTextExtent(text);
    EXPECT_NEAR(exact.cy, 1.117 * 388, 3);
    for (int dpi : {72, 96, 150, 300, 600}) {
        KTDC dc(dpi, dpi);
        dc.SetMapMode(MM_HIMETRIC);
        dc.SelectObject(MakeFont(-388, "Arial"));
        const CSize s = dc.GetTextExtent(text);
        const double em = 388.0 * dpi / HIMETRIC_INCH;
        const double rounding = 0.5 / em;
        EXPECT_NEAR(s.cx, exact.cx, exact.cx * rounding + 3) << dpi;
        EXPECT_NEAR(s.cy, exact.cy, exact.cy * rounding + 3) << dpi;
    }
    // The same font in pixels under MM_TEXT measures the same length in device units.
    KTDC text96(96, 96);
    text96.SelectObject(MakeFont(-100, "Arial"));
    KTDC aniso(96, 96);
    aniso.SetMapMode(MM_ANISOTROPIC);
    aniso.SetWindowExt(2, 2);
    aniso.SetViewportExt(1, 1);
    aniso.SelectObject(MakeFont(-200, "Arial"));
    EXPECT_NEAR(aniso.GetTextExtent(text).cx, 2 * text96.GetTextExtent(text).cx, 2);

    // A painter on a 96-dpi image measures as the measuring-only context does.
    KTDC measuring(96, 96);
    measuring.SetMapMode(MM_HIMETRIC);
    measuring.SelectObject(MakeFont(-388, "Arial"));
    QImage image = Canvas();
    KTDC painted(&image);
    painted.SetMapMode(MM_HIMETRIC);
    painted.SelectObject(MakeFont(-388, "Arial"));
    EXPECT_EQ(painted.GetTextExtent(text), measuring.GetTextExtent(text));
}

TEST(KTDCTest, SymbolTextDecodesAsLatin1)
{
    const KTFont symbol = MakeFont(-10, "Symbol");
    const KTFont arial = MakeFont(-10, "Arial");
    const CString text("a\xE6\xF2\x80", 4);
    const QString s = KTDC::DecodeText(text, symbol);
    ASSERT_EQ(s.size(), 4);
    EXPECT_EQ(s[1].unicode(), 0xE6);
    EXPECT_EQ(s[2].unicode(), 0xF2);
    EXPECT_EQ(s[3].unicode(), 0x80);
    EXPECT_EQ(KTDC::DecodeText(text, arial)[3].unicode(), 0x20AC); // the euro sign
}

// ---- drawing ---------------------------------------------------------------------------------------

TEST(KTDCTest, PenWidthsUnderEachMappingMode)
{
    struct Row
    {
        const char* name;
        int mode;
        int scale; // viewport units per window unit in MM_ANISOTROPIC
        KTPen pen;
        int x0, x1, y; // the line, logical
        int rows;      // its thickness in pixels
    };
    const Row rows[] = {
        {"text geometric 6", MM_TEXT, 1, GeometricPen(PS_SOLID, 6), 20, 180, 100, 6},
        {"text geometric 0", MM_TEXT, 1, GeometricPen(PS_SOLID, 0), 20, 180, 100, 1},
        {"text simple 0", MM_TEXT, 1, KTPen(PS_SOLID, 0, 0), 20, 180, 100, 1},
        {"text simple 4", MM_TEXT, 1, KTPen(PS_SOLID, 4, 0), 20, 180, 100, 4},
        {"text cosmetic", MM_TEXT, 1,
         [] {
             KTPen p;
             p.CreatePen(PS_COSMETIC | PS_SOLID, 9, LOGBRUSH{BS_SOLID, 0, 0});
             return p;
         }(),
         20, 180, 100, 1},
        {"himetric 0.5 inch", MM_HIMETRIC, 1, GeometricPen(PS_SOLID, 254), 500, 4500, -2540, 10}, // 9.6 px
        {"himetric thin", MM_HIMETRIC, 1, GeometricPen(PS_SOLID, 1), 500, 4500, -2540, 1},
        {"anisotropic x3", MM_ANISOTROPIC, 3, GeometricPen(PS_SOLID, 4), 5, 60, 30, 12},
        {"inside frame line", MM_TEXT, 1, GeometricPen(PS_INSIDEFRAME, 5), 20, 180, 100, 5},
    };
    for (const Row& row : rows) {
        QImage image = Canvas();
        {
            KTDC dc(&image);
            dc.SetMapMode(row.mode);
            dc.SetWindowExt(1, 1);
            dc.SetViewportExt(row.scale, row.scale);
            dc.SelectObject(row.pen);
            dc.MoveTo(row.x0, row.y);
            dc.LineTo(row.x1, row.y);
        }
        const int rows = InkRowsAt(image, 100);
        EXPECT_GE(rows, row.rows) << row.name;
        EXPECT_LE(rows, row.rows + 1) << row.name; // antialiased edges may touch one more row
    }
}

TEST(KTDCTest, DashedPensLeaveGaps)
{
    for (int style : {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT}) {
        for (bool geometric : {false, true}) {
            QImage image = Canvas();
            {
                KTDC dc(&image);
                dc.SetBkMode(TRANSPARENT);
                dc.SelectObject(geometric ? GeometricPen(style | PS_ENDCAP_FLAT, 2) : KTPen(style, 1, 0));
                dc.MoveTo(10, 50);
                dc.LineTo(190, 50);
            }
            int gaps = 0;
            for (int x = 12; x < 188; ++x)
                gaps += IsInk(image.pixel(x, 50)) ? 0 : 1;
            EXPECT_GT(gaps, 20) << style << geometric;
            EXPECT_LT(gaps, 150) << style << geometric;
        }
    }
    // In OPAQUE mode the gaps take the background colour.
    QImage image = Canvas();
    {
        KTDC dc(&image);
        dc.SetBkColor(RGB(0, 0, 255));
        dc.SelectObject(KTPen(PS_DOT, 1, RGB(255, 0, 0)));
        dc.MoveTo(10, 50);
        dc.LineTo(190, 50);
    }
    int red = 0, blue = 0;
    for (int x = 12; x < 188; ++x) {
        const QRgb p = image.pixel(x, 50);
        red += qRed(p) > 200 && qBlue(p) < 60 ? 1 : 0;
        blue += qBlue(p) > 200 && qRed(p) < 60 ? 1 : 0;
    }
    EXPECT_GT(red, 30);
    EXPECT_GT(blue, 30);
}

TEST(KTDCTest, PolygonFillModes)
{
    // A five-pointed star drawn in one stroke: its centre is enclosed twice.
    const CPoint star[] = {{100, 10}, {153, 173}, {14, 72}, {186, 72}, {47, 173}};
    struct Row
    {
        int mode;
        bool centreFilled;
    };
    for (const Row& row : {Row{ALTERNATE, false}, Row{WINDING, true}}) {
        QImage image = Canvas();
        {
            KTDC dc(&image);
            dc.SelectStockObject(KTStockObject::NullPen);
            dc.SelectObject(KTBrush(RGB(0, 0, 0)));
            dc.SetPolyFillMode(row.mode);
            dc.Polygon(star, 5);
        }
        EXPECT_EQ(InkIn(image, 95, 95, 105, 105) > 0, row.centreFilled) << row.mode;
        EXPECT_GT(InkIn(image, 95, 25, 105, 40), 0) << row.mode;   // the top point
        EXPECT_EQ(InkIn(image, 0, 0, 20, 20), 0) << row.mode;      // outside
        EXPECT_EQ(InkIn(image, 90, 180, 110, 200), 0) << row.mode; // between the feet
    }
}

TEST(KTDCTest, RectanglesEllipsesAndFrames)
{
    struct Row
    {
        const char* name;
        bool ellipse;
        KTPen pen;
        CRect inkBox; // the bounding box of the ink, device pixels
    };
    const Row rows[] = {
        {"rectangle, 1-unit pen", false, KTPen(PS_SOLID, 0, 0), {40, 40, 160, 120}},
        {"rectangle, inside frame", false, GeometricPen(PS_INSIDEFRAME, 10), {40, 40, 160, 120}},
        {"rectangle, wide centred pen",
         false,
         GeometricPen(PS_SOLID | PS_JOIN_MITER, 10),
         {35, 35, 165, 125}},
        {"ellipse, inside frame", true, GeometricPen(PS_INSIDEFRAME, 10), {40, 40, 160, 120}},
    };
    for (const Row& row : rows) {
        QImage image = Canvas();
        {
            KTDC dc(&image);
            dc.SelectObject(row.pen);
            dc.SelectObject(KTBrush(RGB(0, 255, 0)));
            if (row.ellipse)
                dc.Ellipse(40, 40, 160, 120);
            else
                dc.Rectangle(40, 40, 160, 120);
        }
        const CRect box = InkBox(image);
        EXPECT_NEAR(box.left, row.inkBox.left, 1) << row.name;
        EXPECT_NEAR(box.top, row.inkBox.top, 1) << row.name;
        EXPECT_NEAR(box.right, row.inkBox.right, 1) << row.name;
        EXPECT_NEAR(box.bottom, row.inkBox.bottom, 1) << row.name;
        EXPECT_EQ(image.pixel(100, 80), qRgb(0, 255, 0)) << row.name; // filled inside
        if (row.ellipse) {
            EXPECT_EQ(InkIn(image, 40, 40, 50, 50), 0) << row.name; // the corner stays empty
        }
    }
}

TEST(KTDCTest, HatchBrushesAndTheBackground)
{
    for (int hatch = HS_HORIZONTAL; hatch <= HS_DIAGCROSS; ++hatch) {
        for (int bkMode : {TRANSPARENT, OPAQUE}) {
            QImage image = Canvas();
            {
                KTDC dc(&image);
                dc.SetBkMode(bkMode);
                dc.SetBkColor(RGB(255, 255, 0));
                dc.SelectStockObject(KTStockObject::NullPen);
                KTBrush brush;
                brush.CreateHatchBrush(hatch, RGB(0, 0, 255));
                dc.SelectObject(brush);
                dc.Rectangle(20, 20, 120, 120);
            }
            int blue = 0, white = 0, yellow = 0;
            for (int y = 30; y < 110; ++y)
                for (int x = 30; x < 110; ++x) {
                    const QRgb p = image.pixel(x, y);
                    blue += p == qRgb(0, 0, 255) ? 1 : 0;
                    white += p == qRgb(255, 255, 255) ? 1 : 0;
                    yellow += p == qRgb(255, 255, 0) ? 1 : 0;
                }
            EXPECT_GT(blue, 400) << hatch;
            if (bkMode == OPAQUE) {
                EXPECT_EQ(white, 0) << hatch;
                EXPECT_GT(yellow, 1000) << hatch;
            } else {
                EXPECT_GT(white, 1000) << hatch;
                EXPECT_EQ(yellow, 0) << hatch;
            }
            EXPECT_EQ(InkIn(image, 130, 0, 200, 200), 0);
        }
    }
}

TEST(KTDCTest, PieFillsItsSector)
{
    QImage image = Canvas();
    {
        KTDC dc(&image);
        dc.SetMapMode(MM_ANISOTROPIC); // y up, as the views draw
        dc.SetViewportExt(1, -1);
        dc.SetViewportOrg(100, 100);
        dc.SelectStockObject(KTStockObject::NullPen);
        dc.SelectObject(KTBrush(RGB(0, 0, 0)));
        // From the positive x axis anticlockwise to the positive y axis: the upper right quarter.
        dc.Pie(CRect(-80, 80, 80, -80), CPoint(80, 0), CPoint(0, 80));
    }
    EXPECT_GT(InkIn(image, 130, 40, 150, 60), 300);
    EXPECT_EQ(InkIn(image, 40, 40, 90, 90), 0);
    EXPECT_EQ(InkIn(image, 40, 110, 90, 160), 0);
    EXPECT_EQ(InkIn(image, 110, 110, 160, 160), 0);
}

TEST(KTDCTest, PixelsAndSolidRectangles)
{
    QImage image = Canvas();
    {
        KTDC dc(&image);
        EXPECT_EQ(dc.SetPixel(7, 9, RGB(255, 0, 0)), RGB(255, 0, 0));
        dc.SetBkColor(RGB(1, 2, 3));
        dc.FillSolidRect(CRect(50, 60, 70, 65), RGB(0, 0, 255));
        EXPECT_EQ(dc.GetBkColor(), RGB(1, 2, 3)); // the background colour is left alone
        dc.FillSolidRect(100, 100, 5, 5, RGB(0, 255, 0));
    }
    EXPECT_EQ(image.pixel(7, 9), qRgb(255, 0, 0));
    EXPECT_EQ(InkIn(image, 0, 0, 20, 20), 1);
    EXPECT_EQ(InkIn(image, 50, 60, 70, 65), 100);
    EXPECT_EQ(InkIn(image, 45, 55, 75, 70), 100);
    EXPECT_EQ(image.pixel(50, 60), qRgb(0, 0, 255));
    EXPECT_EQ(InkIn(image, 100, 100, 105, 105), 25);
}

TEST(KTDCTest, ClippingKeepsInkInside)
{
    QImage image = Canvas();
    {
        KTDC dc(&image);
        dc.SetMapMode(MM_HIMETRIC);
        // Clip to the device rectangle (50, 50) - (150, 150).
        EXPECT_EQ(dc.IntersectClipRect(1323, -1323, 3969, -3969), SIMPLEREGION);
        CRect clip;
        dc.GetClipBox(&clip);
        EXPECT_NEAR(clip.left, 1323, 14);
        EXPECT_NEAR(clip.bottom, -3969, 14);
        const int saved = dc.SaveDC();
        EXPECT_EQ(dc.IntersectClipRect(100000, 0, 100010, -10), NULLREGION);
        dc.RestoreDC(saved);
        dc.FillSolidRect(CRect(0, 0, 5292, -5292), RGB(0, 0, 0));
        // Removing the clip lets a later fill anywhere.
        dc.SelectClipRect(nullptr);
        dc.FillSolidRect(CRect(0, 0, 132, -132), RGB(255, 0, 0));
    }
    EXPECT_EQ(InkIn(image, 50, 50, 150, 150), 100 * 100);
    EXPECT_EQ(InkIn(image, 5, 5, 200, 50), 0);
    EXPECT_EQ(InkIn(image, 150, 0, 200, 200), 0);
    EXPECT_EQ(InkIn(image, 0, 0, 5, 5), 25);
}

TEST(KTDCTest, TextAlignmentPlacesTheCell)
{
    struct Row
    {
        unsigned align;
        bool right;   // the text lies left of x
        bool centred; // the text straddles x
        bool above;   // the ink lies above y (bottom or baseline alignment)
    };
    const Row rows[] = {
        {TA_LEFT | TA_TOP, false, false, false},     {TA_RIGHT | TA_TOP, true, false, false},
        {TA_CENTER | TA_TOP, false, true, false},    {TA_LEFT | TA_BOTTOM, false, false, true},
        {TA_RIGHT | TA_BASELINE, true, false, true}, {TA_CENTER | TA_BOTTOM, false, true, true},
    };
    for (int mode : {MM_TEXT, MM_HIMETRIC}) {
        for (const Row& row : rows) {
            QImage image = Canvas(300, 200);
            {
                KTDC dc(&image);
                dc.SetMapMode(mode);
                // The reference point is the device pixel (150, 100) in both modes.
                CPoint at(150, 100);
                dc.DPtoLP(&at);
                dc.SelectObject(MakeFont(mode == MM_TEXT ? -30 : -794, "Arial"));
                dc.SetTextAlign(row.align);
                dc.SetBkMode(TRANSPARENT);
                dc.TextOut(at.x, at.y, "EEE");
            }
            const CRect box = InkBox(image);
            ASSERT_FALSE(box.IsRectEmpty()) << row.align;
            if (row.centred) {
                EXPECT_LT(box.left, 140) << row.align;
                EXPECT_GT(box.right, 160) << row.align;
            } else if (row.right) {
                EXPECT_LE(box.right, 151) << row.align;
                EXPECT_LT(box.left, 120) << row.align;
            } else {
                EXPECT_GE(box.left, 150) << row.align;
                EXPECT_GT(box.right, 180) << row.align;
            }
            if (row.above) {
                EXPECT_LE(box.bottom, 101) << row.align << " mode " << mode;
            } else {
                EXPECT_GE(box.top, 100) << row.align << " mode " << mode;
            }
            // Upright text: "E" has its long bar on the left, so the leftmost column holds the
            // most ink of any column near it.
            EXPECT_GT(InkRowsAt(image, box.left + 1), InkRowsAt(image, box.left + 8)) << mode;
        }
    }
}

TEST(KTDCTest, EscapementTurnsText)
{
    struct Row
    {
        int escapement;
        CRect region; // where all ink must lie, device pixels
    };
    // Text starts at (100, 100), left/baseline aligned; 900 turns it to run upwards, 2700
    // (the y axis title) downwards, 1800 leftwards upside down.
    const Row rows[] = {
        {0, {100, 60, 200, 110}},
        {900, {60, 0, 110, 101}},
        {2700, {90, 99, 140, 200}},
        {1800, {0, 90, 101, 140}},
    };
    for (const Row& row : rows) {
        QImage image = Canvas();
        {
            KTDC dc(&image);
            dc.SetTextAlign(TA_LEFT | TA_BASELINE);
            dc.SetBkMode(TRANSPARENT);
            dc.SelectObject(MakeFont(-24, "Arial", row.escapement));
            dc.TextOut(100, 100, "HHHHH");
        }
        const CRect box = InkBox(image);
        ASSERT_FALSE(box.IsRectEmpty()) << row.escapement;
        EXPECT_GE(box.left, row.region.left) << row.escapement;
        EXPECT_GE(box.top, row.region.top) << row.escapement;
        EXPECT_LE(box.right, row.region.right) << row.escapement;
        EXPECT_LE(box.bottom, row.region.bottom) << row.escapement;
        // Five letters run along the turned direction: the box is long that way.
        const bool vertical = row.escapement == 900 || row.escapement == 2700;
        EXPECT_GT(vertical ? box.Height() : box.Width(), 2 * (vertical ? box.Width() : box.Height()))
            << row.escapement;
    }
}

TEST(KTDCTest, OpaqueTextFillsItsCell)
{
    struct Row
    {
        int bkMode;
        unsigned options;
        bool filled;
    };
    const Row rows[] = {
        {OPAQUE, 0, true},
        {TRANSPARENT, 0, false},
        {TRANSPARENT, ETO_OPAQUE, true}, // the rectangle is filled whatever the mode
    };
    for (const Row& row : rows) {
        QImage image = Canvas();
        {
            KTDC dc(&image);
            dc.SetBkMode(row.bkMode);
            dc.SetBkColor(RGB(255, 0, 0));
            dc.SelectObject(MakeFont(-20, "Arial"));
            const CRect rect(10, 10, 190, 40);
            dc.ExtTextOut(12, 12, row.options, &rect, ".");
        }
        // Next to the dot, inside the cell's height: red when the background is painted.
        EXPECT_EQ(image.pixel(14, 14) == qRgb(255, 0, 0), row.filled) << row.bkMode << "/" << row.options;
    }
    // ETO_CLIPPED keeps the text inside its rectangle.
    QImage image = Canvas();
    {
        KTDC dc(&image);
        dc.SetBkMode(TRANSPARENT);
        dc.SelectObject(MakeFont(-40, "Arial"));
        const CRect rect(0, 0, 60, 200);
        dc.ExtTextOut(10, 10, ETO_CLIPPED, &rect, "WWWWWWW");
    }
    EXPECT_GT(InkIn(image, 0, 0, 60, 200), 0);
    EXPECT_EQ(InkIn(image, 60, 0, 200, 200), 0);
}

TEST(KTDCTest, SymbolGlyphsAreDrawn)
{
    // Draws one byte at a large size and returns the ink box.
    auto draw = [](const char* face, unsigned char code) {
        QImage image = Canvas(200, 300);
        {
            KTDC dc(&image);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextAlign(TA_LEFT | TA_BASELINE);
            dc.SelectObject(MakeFont(-100, face));
            dc.TextOut(50, 200, CString(static_cast<char>(code)));
        }
        return image;
    };
    // Alpha is not the Latin "a": the two images differ.
    EXPECT_NE(draw("Symbol", 'a'), draw("Arial", 'a'));
    const CRect alpha = InkBox(draw("Symbol", 'a'));
    const CRect integral = InkBox(draw("Symbol", 0xF2));
    const CRect parenTop = InkBox(draw("Symbol", 0xE6));
    const CRect parenBottom = InkBox(draw("Symbol", 0xE8));
    ASSERT_FALSE(alpha.IsRectEmpty());
    ASSERT_FALSE(integral.IsRectEmpty());
    ASSERT_FALSE(parenTop.IsRectEmpty());
    ASSERT_FALSE(parenBottom.IsRectEmpty());
    // Alpha is a lower-case letter on the baseline; the integral reaches far above and below it.
    EXPECT_NEAR(alpha.bottom, 201, 3);
    EXPECT_GT(integral.Height(), 3 * alpha.Height() / 2);
    EXPECT_GT(integral.bottom, 210);
    // The pieces of a tall parenthesis: the top one curves at its top, the bottom one at its
    // bottom, so their widest rows lie at opposite ends.
    auto widestRow = [](const QImage& image) {
        int best = 0, bestY = 0;
        for (int y = 0; y < image.height(); ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < image.width(); ++x) {
                if (!IsInk(image.pixel(x, y)))
                    continue;
                if (first < 0)
                    first = x;
                last = x;
            }
            if (first >= 0 && last - first > best) {
                best = last - first;
                bestY = y;
            }
        }
        return bestY;
    };
    EXPECT_LT(widestRow(draw("Symbol", 0xE6)), widestRow(draw("Symbol", 0xE8)));
}

// The ink of a character comes from its outline, so it scales with the font and agrees with the
// face's own metrics (the Standard Symbols PS font file's bounding boxes, in thousandths of an
// em) and with the pixels drawn.
TEST(KTDCTest, GlyphMetricsGiveTheInkOfTheOutline)
{
    const struct
    {
        unsigned char code;
        int left, bottom, right, top; ///< thousandths of an em, y up
    } rows[] = {
        {0xE6, 40, -293, 436, 926}, // parenthesis top piece
        {0xE7, 40, -79, 92, 925},   // parenthesis extension
        {0xEB, 0, -80, 340, 926},   // bracket bottom piece
        {0xF2, 2, -107, 291, 916},  // integral sign
        {'[', 86, -165, 299, 673},
    };
    for (int em : {1000, 100}) {
        KTDC dc(96, 96);
        dc.SelectObject(MakeFont(-em, "Symbol"));
        for (const auto& row : rows) {
            GLYPHMETRICS ink;
            ASSERT_TRUE(dc.GetGlyphMetrics(static_cast<char>(row.code), &ink));
            const auto at = [em](int thousandths) {
                return static_cast<int>(std::lround(thousandths * em / 1000.0));
            };
            EXPECT_NEAR(ink.gmptGlyphOrigin.x, at(row.left), 1) << row.code << " " << em;
            EXPECT_NEAR(ink.gmptGlyphOrigin.y, at(row.top), 1) << row.code << " " << em;
            EXPECT_NEAR(ink.gmBlackBoxX, at(row.right - row.left), 1) << row.code << " " << em;
            EXPECT_NEAR(ink.gmBlackBoxY, at(row.top - row.bottom), 1) << row.code << " " << em;
        }
    }
    // In a metric mode the units are logical: 1000 hundredths of a millimetre high.
    KTDC metric(96, 96);
    metric.SetMapMode(MM_HIMETRIC);
    metric.SelectObject(MakeFont(-1000, "Symbol"));
    GLYPHMETRICS piece;
    ASSERT_TRUE(metric.GetGlyphMetrics('\xE7', &piece));
    EXPECT_NEAR(piece.gmptGlyphOrigin.y, 925, 1);
    EXPECT_NEAR(piece.gmBlackBoxY, 1004, 1);
    // A space has no ink but an advance.
    GLYPHMETRICS space;
    KTDC text(96, 96);
    text.SelectObject(MakeFont(-100, "Arial"));
    ASSERT_TRUE(text.GetGlyphMetrics(' ', &space));
    EXPECT_EQ(space.gmBlackBoxX, 0);
    EXPECT_EQ(space.gmBlackBoxY, 0);
    EXPECT_GT(space.gmCellIncX, 0);
    // Drawn on the baseline, the ink lies where the metrics say.
    QImage image = Canvas(200, 300);
    GLYPHMETRICS drawn;
    {
        KTDC dc(&image);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextAlign(TA_LEFT | TA_BASELINE);
        dc.SelectObject(MakeFont(-150, "Symbol"));
        dc.TextOut(50, 200, CString('\xE6'));
        dc.GetGlyphMetrics('\xE6', &drawn);
    }
    const CRect box = InkBox(image);
    EXPECT_NEAR(box.top, 200 - drawn.gmptGlyphOrigin.y, 1);
    EXPECT_NEAR(box.bottom, 200 - drawn.gmptGlyphOrigin.y + drawn.gmBlackBoxY, 1);
    EXPECT_NEAR(box.left, 50 + drawn.gmptGlyphOrigin.x, 1);
}

TEST(KTDCTest, MeasuringOnlyContextDrawsNothingButRecords)
{
    KTDC dc(96, 96);
    dc.SetRecording(true);
    EXPECT_TRUE(dc.Rectangle(0, 0, 10, 10));
    EXPECT_TRUE(dc.TextOut(0, 0, "x"));
    EXPECT_TRUE(dc.Ellipse(CRect(0, 0, 5, 5)));
    dc.SetPixel(1, 1, RGB(1, 1, 1));
    EXPECT_EQ(dc.GetRecords().size(), 4u);
}

TEST(KTDCTest, PainterStateIsRestored)
{
    QImage image = Canvas();
    QPainter painter(&image);
    painter.setPen(QPen(Qt::red, 7));
    painter.setClipRect(QRect(0, 0, 100, 100));
    {
        KTDC dc(&painter);
        dc.IntersectClipRect(10, 10, 50, 50);
        dc.SelectObject(GeometricPen(PS_SOLID, 3));
        dc.MoveTo(0, 0);
        dc.LineTo(150, 150);
        dc.SelectClipRect(nullptr); // back to the painter's own clip, not to none
        dc.FillSolidRect(CRect(0, 0, 200, 200), RGB(0, 0, 255));
    }
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    EXPECT_EQ(painter.pen().widthF(), 7.0);
    EXPECT_TRUE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(image.pixel(150, 150), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(99, 99), qRgb(0, 0, 255));

    // A context on an inactive painter measures only.
    QPainter idle;
    KTDC measuring(&idle);
    EXPECT_EQ(measuring.GetPainter(), nullptr);
    EXPECT_TRUE(measuring.LineTo(5, 5));
}

TEST(KTDCTest, TextUpdatesTheCurrentPosition)
{
    KTDC dc(96, 96);
    dc.SelectObject(MakeFont(-20, "Arial"));
    dc.SetTextAlign(TA_UPDATECP);
    dc.MoveTo(10, 10);
    const CSize extent = dc.GetTextExtent("abc");
    dc.TextOut(999, 999, "abc"); // the position given is ignored
    EXPECT_NEAR(dc.GetCurrentPosition().x, 10 + extent.cx, 1);
    EXPECT_EQ(dc.GetCurrentPosition().y, 10);
}

TEST(KTDCTest, WildValuesStayInRange)
{
    // Coordinates far outside the int range after scaling are held at its ends.
    KTDC dc(96, 96);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(1000, -1000);
    CPoint p(INT32_MAX, INT32_MAX);
    dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(INT32_MAX, INT32_MIN));

    // Heights and coordinates from a damaged file draw something or nothing, but finish.
    QImage image = Canvas();
    {
        KTDC painted(&image);
        painted.SetMapMode(MM_HIMETRIC);
        painted.SelectObject(MakeFont(INT32_MIN + 1, "Arial", 123456));
        TEXTMETRIC tm;
        EXPECT_TRUE(painted.GetTextMetrics(&tm));
        EXPECT_GT(tm.tmHeight, 0);
        painted.TextOut(0, 0, "Wide");
        painted.SelectObject(GeometricPen(PS_DASH, INT32_MAX));
        painted.MoveTo(INT32_MIN, INT32_MIN);
        painted.LineTo(INT32_MAX, INT32_MAX);
        painted.Rectangle(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN);
        painted.Ellipse(-5, -5, -5, -5);
        painted.Pie(CRect(0, 0, 0, 0), CPoint(0, 0), CPoint(0, 0));
        painted.Polygon(nullptr, 5);
        EXPECT_FALSE(painted.Polyline(nullptr, 3));
    }
}

TEST(KTDCTest, DrawsOnAPdfWriter)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        KTDC dc(&writer);
        ASSERT_NE(dc.GetPainter(), nullptr);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 600);
        dc.SetMapMode(MM_HIMETRIC);
        CSize inch(2540, 2540);
        dc.LPtoDP(&inch);
        EXPECT_EQ(inch, CSize(600, 600));
        dc.SelectObject(MakeFont(-388, "Symbol"));
        dc.TextOut(1000, -1000, "abc\xF2");
        dc.SelectObject(GeometricPen(PS_DASHDOT, 35));
        dc.MoveTo(0, 0);
        dc.LineTo(5000, -5000);
    }
    const QByteArray pdf = buffer.data();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GT(pdf.size(), 1000);
}

TEST(KTDCTest, PolylinesLeaveOutThePointsThePlainArithmeticLeavesOut)
{
    // A polyline's points within a tenth of a unit of the line that replaces them are left out,
    // mostly decided without a division; the plain arithmetic decides every one. At 254 dots
    // per inch a HIMETRIC unit is a tenth of a device unit, so points lie exactly at the
    // tolerance, a unit inside it and a unit beyond, beside runs along the rows, the columns and
    // slopes, before and past the ends of the lines that would replace them; with wide and thin
    // pens both decide the same picture, to the last bit.
    std::vector<std::vector<CPoint>> lines;
    for (const int slope : {0, 1, 3, 10, 37}) {
        for (const int offset : {0, 1, 2}) {
            std::vector<CPoint> line;
            for (int i = 0; i <= 60; ++i) {
                const int x = 100 + i * 90;
                // Every third point stands off the line by the offset, alternately each side.
                const int off = i % 3 == 1 ? (i % 2 ? offset : -offset) : 0;
                line.emplace_back(x, -1000 - (i * 90 * slope) / 40 - off);
            }
            lines.push_back(line);
            std::vector<CPoint> column;
            for (const CPoint& p : line)
                column.emplace_back(-p.y, -p.x); // the same across the columns
            lines.push_back(column);
        }
    }
    // Points beyond the ends of the chord: a hairpin and a back-step of one unit.
    lines.push_back({{500, -500}, {2500, -500}, {2501, -501}, {1500, -500}, {3000, -500}, {2999, -500}});
    std::vector<CPoint> spiral;
    for (int i = 0; i < 2000; ++i) {
        const double t = i * 0.01;
        spiral.emplace_back(static_cast<int>(std::lround(3000 + (200 + 40 * t) * std::cos(t))),
                            static_cast<int>(std::lround(-3000 + (200 + 40 * t) * std::sin(t))));
    }
    lines.push_back(spiral);
    // Short lines as a dense curve draws them, crossing each other, some with a point twice
    // in a row or of no length.
    unsigned seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int k = 0; k < 400; ++k) {
        const CPoint start(200 + next(5800), -200 - next(5800));
        std::vector<CPoint> line{start};
        for (int n = 1 + next(3); n > 0; --n) {
            const CPoint& last = line.back();
            const int step = next(4) == 0 ? 0 : 10 + next(60);
            line.emplace_back(last.x + (next(2) ? step : -step), last.y + (next(2) ? step : -step) / 2);
        }
        lines.push_back(line);
    }
    // Each polyline in a call of its own, or (`atOnce`) all in one call of PolyPolyline, which
    // draws thin lines on threads (`threads`), each into rows of its own; with or without a clip
    // whose edges lie between pixels.
    const auto paint = [&](int penWidth, bool reference, bool atOnce, bool threads, bool clipped) {
        KTDC::SetReferencePolylinePath(reference);
        KTDC::SetThreadedPolylinePoints(threads ? 1 : LLONG_MAX);
        QImage image = Canvas(640, 640, 254);
        {
            KTDC dc(&image);
            dc.SetMapMode(MM_HIMETRIC);
            if (clipped)
                dc.IntersectClipRect(1203, -257, 5307, -4851);
            const KTPen pen = GeometricPen(PS_SOLID, penWidth);
            dc.SelectObject(pen);
            if (atOnce) {
                std::vector<CPoint> points;
                std::vector<int> counts;
                for (const std::vector<CPoint>& line : lines) {
                    points.insert(points.end(), line.begin(), line.end());
                    counts.push_back(static_cast<int>(line.size()));
                }
                dc.PolyPolyline(points.data(), counts.data(), static_cast<int>(counts.size()));
            } else {
                for (const std::vector<CPoint>& line : lines)
                    dc.Polyline(line.data(), static_cast<int>(line.size()));
            }
        }
        KTDC::SetReferencePolylinePath(false);
        KTDC::SetThreadedPolylinePoints(16384);
        return image;
    };
    for (const bool clipped : {false, true}) {
        for (const int penWidth : {0, 25, 60}) {
            const QImage fast = paint(penWidth, false, false, false, clipped);
            const QImage plain = paint(penWidth, true, false, false, clipped);
            EXPECT_TRUE(fast == plain) << "pen " << penWidth << " clipped " << clipped;
            EXPECT_TRUE(paint(penWidth, false, true, false, clipped) == fast) << "pen " << penWidth;
            EXPECT_TRUE(paint(penWidth, false, true, true, clipped) == fast) << "pen " << penWidth;
            EXPECT_GT(InkIn(fast, 0, 0, fast.width(), fast.height()), clipped ? 2000 : 5000) << "pen " << penWidth;
        }
    }
    // Recorded, the polylines of one call are those of as many calls.
    QImage image = Canvas(640, 640, 254);
    KTDC dc(&image);
    dc.SetRecording(true);
    std::vector<CPoint> points;
    std::vector<int> counts;
    for (const std::vector<CPoint>& line : lines) {
        dc.Polyline(line.data(), static_cast<int>(line.size()));
        points.insert(points.end(), line.begin(), line.end());
        counts.push_back(static_cast<int>(line.size()));
    }
    const std::vector<KTDCRecord> separate = dc.GetRecords();
    dc.ClearRecords();
    dc.PolyPolyline(points.data(), counts.data(), static_cast<int>(counts.size()));
    ASSERT_EQ(dc.GetRecords().size(), separate.size());
    for (std::size_t k = 0; k < separate.size(); ++k) {
        EXPECT_EQ(dc.GetRecords()[k].kind, KTDCRecordKind::Polyline);
        EXPECT_EQ(dc.GetRecords()[k].points, separate[k].points) << k;
    }
}
