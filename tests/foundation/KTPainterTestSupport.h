#pragma once
// Helpers of the painter tests: recorded drawing calls as short texts, and ink on an image.

#include "platform/KTDC.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kttest::paint {

/// "Line 47,60 54,60": the kind and the logical points of one recorded call.
inline std::string Describe(const KTDCRecord& record)
{
    static const char* const names[] = {"Line", "Polyline", "Polygon",  "Rectangle", "Ellipse",
                                        "Pie",  "Pixel",    "FillRect", "Text"};
    std::string text = names[static_cast<int>(record.kind)];
    for (const CPoint& p : record.points)
        text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
    return text;
}

inline std::vector<std::string> Describe(const std::vector<KTDCRecord>& records)
{
    std::vector<std::string> out;
    for (const KTDCRecord& record : records)
        out.push_back(Describe(record));
    return out;
}

/// A white image of the given resolution.
inline QImage Canvas(int width, int height, int dpi = 96)
{
    return kttest::WhiteImage(width, height, static_cast<int>(std::lround(dpi / 0.0254)));
}

inline bool IsInk(const QImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return (image.pixel(x, y) | 0xFF000000) != 0xFFFFFFFF;
}

inline int InkCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += IsInk(image, x, y) ? 1 : 0;
    return count;
}

/// Bounding box of the ink (right and bottom inclusive); left > right when there is none.
inline CRect InkBox(const QImage& image)
{
    CRect box(image.width(), image.height(), -1, -1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsInk(image, x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

} // namespace kttest::paint
