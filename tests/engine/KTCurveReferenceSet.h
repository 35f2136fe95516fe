#pragma once
// Ten reference curves drawn on one page of 1600 x 1200 pixels, shared by the reference-image
// test and the paint-cost benchmark: an explicit polynomial, a rational function with an
// asymptote, a trigonometric function in degrees, a polar rose, a Lissajous figure, a circle,
// an implicit cubic, an inequality, a family of five members and a function with a domain.

#include "engine/KTFunction3.h"
#include "axes/KTAxes.h"

#include <memory>
#include <vector>

class KTDC;
class QImage;

namespace kttest {

struct CurveReference
{
    const char* name;
    std::unique_ptr<KTFunction3> function;
    bool family = false;
};

/// The page's axes: x over [-10, 10] and y over [-7.5, 7.5] on 1600 x 1200 pixels in
/// hundredths of a millimetre at 96 dots per inch (as a view draws), angles in degrees.
void SetReferenceAxes(KTAxes& axes);
/// The same page over other ranges and angles (0 degrees, 1 radians, 2 grads), of 1600 x 1200
/// pixels or the given size.
void SetPageAxes(KTAxes& axes, double xmin, double xmax, double ymin, double ymax, int angleSystem,
                 int width = 1600, int height = 1200);
/// The ten reference functions over the axes.
std::vector<CurveReference> MakeCurveReferences(KTAxes& axes);
/// Points of interest and screen form: what the graph's recalculation does.
void CalculateReference(CurveReference& reference);
/// Draws the reference (its family, when it is one) into the context, mapped as the axes say.
void DrawReference(CurveReference& reference, KTDC& dc);
/// Pixels in which two pictures of one size differ: what a drawing added to a blank page.
int InkBetween(const QImage& drawn, const QImage& blank);
/// A white page with the two axes lines through the origin, in the mapping the references are
/// drawn with.
void PreparePage(QImage& image, KTDC& dc, KTAxes& axes);

} // namespace kttest
