#include "foundation/KTUtilities.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>

bool CharInSet(char c, const char* set)
{
    if (c == '\0' || set == nullptr)
        return false;
    for (; *set != '\0'; ++set)
        if (*set == c)
            return true;
    return false;
}

bool IntInList(std::int32_t value, const std::int32_t* list)
{
    if (list == nullptr)
        return false;
    for (; *list != 0; ++list)
        if (*list == value)
            return true;
    return false;
}

bool DoubleInList(double value, const double* list)
{
    if (list == nullptr)
        return false;
    for (; *list != 0.0; ++list)
        if (*list == value)
            return true;
    return false;
}

COLORREF LightenColor(COLORREF colour, double factor)
{
    // Written as a negated range test so that a NaN factor also falls back to 0.9.
    if (!(factor >= 0.0 && factor <= 1.0))
        factor = 0.9;

    const double r = GetRValue(colour) / 255.0;
    const double g = GetGValue(colour) / 255.0;
    const double b = GetBValue(colour) / 255.0;
    const double w = std::min({r, g, b});
    const double v = std::max({r, g, b});
    if (v == w) {
        const int grey = static_cast<int>(factor * 255.0);
        return RGB(grey, grey, grey);
    }

    // Hue on the six-sector circle of the hue-whiteness-blackness model.
    double f;
    int i;
    if (r == w) {
        f = g - b;
        i = 3;
    } else if (g == w) {
        f = b - r;
        i = 5;
    } else {
        f = r - g;
        i = 1;
    }
    const double hue = i - f / (v - w);

    const double whiteness = factor;
    const int k = static_cast<int>(std::floor(hue));
    double t = hue - k;
    if (k % 2 != 0)
        t = 1.0 - t;
    const double n = whiteness + t * (1.0 - whiteness);
    const int low = static_cast<int>(whiteness * 255.0);
    const int mid = static_cast<int>(n * 255.0);
    switch (k) {
    case 1: return RGB(mid, 255, low);
    case 2: return RGB(low, 255, mid);
    case 3: return RGB(low, mid, 255);
    case 4: return RGB(mid, low, 255);
    case 5: return RGB(255, low, mid);
    default: return RGB(255, mid, low); // 0 and 6: the red sector
    }
}

void ShellOpenMaximized(const CString& target)
{
    if (target.IsEmpty())
        return;
    const QString text = target.ToQString();
    // An existing path is a file or folder; anything else is taken as an address the user typed.
    const QUrl url = QFileInfo::exists(text) ? QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath())
                                             : QUrl::fromUserInput(text);
    QDesktopServices::openUrl(url);
}
