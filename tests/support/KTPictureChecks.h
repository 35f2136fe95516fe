#pragma once
// Cheap facts about grabbed pictures: how much ink an area holds and in how many colours.

#include <QImage>
#include <QRect>

#include <map>
#include <set>

namespace kttest {

/// Ink in an area of a picture: pixels that differ from the background colour, and the number
/// of different colours among them.
struct InkFacts
{
    int pixels = 0;
    int colours = 0;
};

/// The area is clipped to the picture; `background` is compared without alpha. Pixels at least
/// half transparent are no ink.
inline InkFacts InkIn(const QImage& picture, const QRect& area, QRgb background)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRect clipped = area.intersected(image.rect());
    InkFacts facts;
    std::set<QRgb> colours;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128 || (pixel & 0xFFFFFFu) == (background & 0xFFFFFFu))
                continue;
            ++facts.pixels;
            colours.insert(pixel | 0xFF000000u);
        }
    facts.colours = static_cast<int>(colours.size());
    return facts;
}

/// The colour most pixels of the area have.
inline QRgb CommonColour(const QImage& picture, const QRect& area)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRect clipped = area.intersected(image.rect());
    std::map<QRgb, int> counts;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    QRgb common = 0;
    int most = -1;
    for (const auto& [colour, count] : counts)
        if (count > most) {
            common = colour;
            most = count;
        }
    return common;
}

} // namespace kttest
