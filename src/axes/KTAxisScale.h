#pragma once
// What the fitting and the drawing of an axis share: the typed range, the step values and the
// label texts at the major steps.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <memory>
#include <vector>

class KTAxis;
class KTDC;
class KTEEquation;
class KTLogFont;
class KTOptionAxes2;

/// Labels drawn per axis at most.
inline constexpr int KTMaxAxisLabels = 200;
/// Grid lines, ticks or circles of one kind drawn per axis at most; a typed step finer than
/// range / KTMaxAxisSteps is not used for fitting.
inline constexpr int KTMaxAxisSteps = 2000;

/// The value range of an axis as the typed texts and the data extents give it: the data extent
/// when the automatic flag is on or when adjusting and the data lie beyond the typed end, else
/// the typed end. An undefined typed end takes the data extent, and an undefined data extent the
/// typed end; when neither is defined the end is -10 or 10.
void KTAxisRange(KTOptionAxes2& options, bool isX, double dataMin, double dataMax, double& min, double& max);

/// The value of a step text; 0 when the text does not evaluate to a usable step (zero,
/// negative, not finite, undefined).
double KTStepValue(const CString& text);

/// v lies on a multiple of step within 0.00001, from either side; false without a step.
bool KTIsStepMultiple(double v, double step);
/// A typed step text of 0 hides its lines, whether or not the steps are automatic.
bool KTTypedStepHides(const CString& typedStep);
/// The pixel lies within the clearance of an arrowhead at an end of the axis (never on an axis
/// with a break).
bool KTNearArrowHead(const KTAxis& axis, int pixel, double clearance);

/// One label at a major step: its value and its exact number text.
struct KTAxisLabel
{
    double value = 0.0;
    CString text;
};

/// A tick label where the axis draws it: value, text and box (logical units, left <= right and
/// top <= bottom in numbers, whatever the mapping's direction), and the label typeset for the
/// context it was measured in, to be drawn without typesetting it again.
struct KTPlacedLabel
{
    double value = 0.0;
    CString text;
    CRect box;
    std::shared_ptr<KTEEquation> typeset;
};

/// The texts of number labels at the values, multiples of step, all in one form: plain decimals
/// with the places the step needs ("0.25", "1000000.0002"), or, where plain decimals would run
/// past seven characters and a power of ten is shorter, the mantissa times the power written
/// for the typesetter ("5*10^-7", "1.2*10^6"). Each text reads back as its value, so labels of
/// different multiples differ at any scale. The number formatter's rules apply to the digits.
std::vector<CString> KTNumberLabelTexts(const std::vector<double>& values, double step);

/// The labels of a linear axis at the multiples of its major step inside min..max; at most
/// KTMaxAxisLabels, without multiple 0 unless includeZero. A step that is an ordinary number
/// gives the texts of KTNumberLabelTexts; any other step text builds each text exactly from it
/// ("pi/2", "pi", "3pi/2", "1/4"). Empty when the major step is not usable.
std::vector<KTAxisLabel> KTLinearAxisLabels(const KTAxis& axis, bool includeZero);
/// The labels of a logarithmic axis: the powers of ten from decadeLow (at least 1) to decadeHigh.
std::vector<KTAxisLabel> KTLogAxisLabels(const KTAxis& axis);

/// The box of a tick label typeset with the font (logical units of dc).
CSize KTMeasureScaleLabel(KTDC& dc, const CString& text, const KTLogFont& font);
/// A tick label typeset with the font and measured in dc; its box in size.
std::shared_ptr<KTEEquation> KTTypesetScaleLabel(KTDC& dc, const CString& text, const KTLogFont& font,
                                                 CSize& size);
/// Draws a tick label typeset with the font, its box placed by the context's text alignment.
void KTDrawScaleLabel(KTDC& dc, int x, int y, const CString& text, const KTLogFont& font);
/// Draws a label that KTTypesetScaleLabel typeset with the font in dc.
void KTDrawScaleLabel(KTDC& dc, int x, int y, KTEEquation& typeset, const KTLogFont& font);
