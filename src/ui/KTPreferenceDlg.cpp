#include "ui/KTPreferenceDlg.h"

#include "foundation/KTLocaleChars.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTMessageBox.h"
#include "ui/KTNumberEdits.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

constexpr const char* kMessageCaption = "KT Graph 3";

// The number texts of the edits and of the range messages: as many digits as a double
// carries, in the user's form.
CString Number(double value)
{
    return KTDecimalText(value);
}

// A whole typed text as a double in the user's form or the C form; false for anything else.
bool ParseDouble(const CString& typed, double& value)
{
    return KTReadDecimal(typed, value);
}

bool ParseInt(const CString& typed, int& value)
{
    double parsed = 0;
    if (!ParseDouble(typed, parsed) || parsed != std::floor(parsed) || parsed < -2147483648.0 ||
        parsed > 2147483647.0)
        return false;
    const CString trimmed = CString(typed).Trim();
    if (trimmed.Find('.') >= 0 || trimmed.Find(KTLocaleChars().m_chDecimal) >= 0 || trimmed.Find('e') >= 0 ||
        trimmed.Find('E') >= 0)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// An integer option takes the value; one outside its range becomes the range's midpoint.
void Put(KTOptionInt& option, int value)
{
    option.m_value = value;
    option.GetValue();
}

} // namespace

KTPreferenceDlg::KTPreferenceDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                                 QWidget* parent)
    : KTOptionsDlg(document, defaults, store, parent)
{
    setObjectName(Q("KTPreferenceDlg"));
    setWindowTitle(Q("Preferences"));
    BuildLayout();
}

KTPreferenceDlg::~KTPreferenceDlg() = default;

CString KTPreferenceDlg::HundredthsText(int stored)
{
    return Number(stored * 0.01);
}

int KTPreferenceDlg::ToHundredths(double typed)
{
    const double hundredths = typed * 100.0;
    if (!(hundredths > -2147483648.0 && hundredths < 2147483648.0))
        return hundredths > 0 ? 2147483647 : -2147483647 - 1; // NaN and huge values alike fail the range
    return static_cast<int>(hundredths);
}

void KTPreferenceDlg::BuildLayout()
{
    auto check = [this](int id, const char* text, const char* name) {
        auto* box = new QCheckBox(Q(text), this);
        box->setObjectName(Q(name));
        m_controls[id] = box;
        return box;
    };
    auto edit = [this](int id, const char* name) {
        auto* line = new QLineEdit(this);
        line->setObjectName(Q(name));
        m_controls[id] = line;
        return line;
    };

    auto* axes = new QGroupBox(Q("Axes"), this);
    auto* axesGrid = new QGridLayout(axes);
    axesGrid->addWidget(check(IdShowOrigin, "Mark Origin", "ShowOrigin"), 0, 0);
    auto* radius = new QFormLayout;
    radius->addRow(Q("Radius (mm)"), edit(IdShowOriginRadius, "ShowOriginRadius"));
    axesGrid->addLayout(radius, 0, 1);
    axesGrid->addWidget(check(IdShowNegativeArrows, "Show Negative Arrows", "ShowNegativeArrows"), 1, 0);
    axesGrid->addWidget(check(IdShowPositiveArrows, "Show Positive Arrows", "ShowPositiveArrows"), 2, 0);
    axesGrid->addWidget(check(IdBlankUnderScale, "Blank Under Scale", "BlankUnderScale"), 3, 0);
    axesGrid->addWidget(check(IdRectBias, "Fill Rectangle", "RectBias"), 4, 0);
    auto* sizes = new QFormLayout;
    sizes->addRow(Q("Break Width"), edit(IdBreakWidth, "BreakWidth"));
    sizes->addRow(Q("Break Height"), edit(IdBreakHeight, "BreakHeight"));
    sizes->addRow(Q("Axis Tick Size"), edit(IdAxisPipSize, "AxisPipSize"));
    sizes->addRow(Q("Arrow Size"), edit(IdAxesArrowSize, "AxesArrowSize"));
    axesGrid->addLayout(sizes, 1, 1, 4, 1);
    auto* ticks = new QGroupBox(Q("Tick Style"), axes);
    auto* tickLayout = new QVBoxLayout(ticks);
    auto* tickGroup = new QButtonGroup(this);
    const struct
    {
        int id;
        const char* text;
        const char* name;
    } tickRows[] = {{IdTickBothSides, "Both Sides", "TickBothSides"},
                    {IdTickAboveRight, "Above/Right", "TickAboveRight"},
                    {IdTickAboveLeft, "Above/Left", "TickAboveLeft"},
                    {IdTickBelowRight, "Below/Right", "TickBelowRight"},
                    {IdTickBelowLeft, "Below/Left", "TickBelowLeft"}};
    int index = 0;
    for (const auto& row : tickRows) {
        auto* radio = new QRadioButton(Q(row.text), ticks);
        radio->setObjectName(Q(row.name));
        tickGroup->addButton(radio, index++);
        tickLayout->addWidget(radio);
        m_controls[row.id] = radio;
    }
    axesGrid->addWidget(ticks, 0, 2, 5, 1);

    auto* region = new QGroupBox(Q("Feasible Region"), this);
    auto* regionLayout = new QFormLayout(region);
    regionLayout->addRow(check(IdFRAgree, "Shade Accept Region", "FRAgree"));
    regionLayout->addRow(Q("Dots Density"), edit(IdFRDivisions, "FRDivisions"));

    auto* general = new QGroupBox(Q("General"), this);
    auto* generalLayout = new QFormLayout(general);
    generalLayout->addRow(Q("Key Zoom Ratio"), edit(IdKeyZoomRatio, "KeyZoomRatio"));
    generalLayout->addRow(check(IdReplacePlusMinus, "Replace +- on Display", "ReplacePlusMinusOnDisplay"));
    generalLayout->addRow(check(IdRightClickOnAxes, "Right Click on Axes", "RightClickOnAxes"));

    auto* functions = new QGroupBox(Q("Functions"), this);
    auto* functionLayout = new QFormLayout(functions);
    functionLayout->addRow(Q("Domain Size"), edit(IdEndCircleSize, "EndCircleSize"));
    functionLayout->addRow(Q("Discontinuity Size"), edit(IdPointDiscontinuitySize, "PointDiscontinuitySize"));

    auto* annotations = new QGroupBox(Q("Annotations"), this);
    auto* annotationLayout = new QFormLayout(annotations);
    annotationLayout->addRow(Q("Anchor Gap"), edit(IdAnchorGap, "AnchorGap"));
    annotationLayout->addRow(Q("Corner Offset"), edit(IdRectCornerOffset, "RectCornerOffset"));
    annotationLayout->addRow(Q("Arrow Size"), edit(IdAnnotationArrowSize, "AnnotationArrowSize"));
    annotationLayout->addRow(Q("Point Size"), edit(IdPointSize, "PointSize"));
    annotationLayout->addRow(Q("Border Gap"), edit(IdBorderGap, "BorderGap"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(Q("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(Q("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &KTPreferenceDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lower = new QGridLayout;
    lower->addWidget(region, 0, 0);
    lower->addWidget(functions, 0, 1);
    lower->addWidget(general, 1, 0);
    lower->addWidget(annotations, 1, 1);
    auto* main = new QVBoxLayout(this);
    main->addWidget(axes);
    main->addLayout(lower);
    main->addWidget(buttons);
}

bool KTPreferenceDlg::OnInitDialog()
{
    if (m_defaults) {
        KTOptionAxes2& axes = m_defaults->m_axes;
        KTOptionsAnnotation& annotation = m_defaults->m_annotation;
        KTOptionFunction3& first = m_defaults->m_functions[0];
        // GetValue puts an out-of-range value back to its midpoint in the defaults themselves.
        m_showOrigin = axes.m_showOrigin.m_value;
        m_showOriginRadius = axes.m_showOriginRadius.GetValue() * 0.01;
        m_showNegativeArrows = axes.m_showNegativeArrows.m_value;
        m_showPositiveArrows = axes.m_showPositiveArrows.m_value;
        m_blankUnderScale = axes.m_blankUnderScale.m_value;
        m_rectBias = axes.m_rectBias.m_value;
        m_breakWidth = axes.m_breakWidth.GetValue() * 0.01;
        m_breakHeight = axes.m_breakHeight.GetValue() * 0.01;
        m_axisPipSize = axes.m_axisPipSize.GetValue() * 0.01;
        m_axesArrowSize = axes.m_arrowSize.GetValue() * 0.01;
        m_tickStyle = axes.m_tickStyle.GetValue();
        m_frAgree = m_defaults->m_frAgree.m_value;
        m_frDivisions = m_defaults->m_frDivisions.GetValue();
        m_keyZoomRatio = axes.m_keyZoomRatio.GetValue();
        m_replacePlusMinus = m_defaults->m_replacePlusMinusOnDisplay.m_value;
        m_rightClickOnAxes = m_defaults->m_rightClickOnAxes.m_value;
        m_endCircleSize = first.m_endCircleSize.GetValue() * 0.01;
        m_pointDiscontinuitySize = first.m_pointDiscontinuitySize.GetValue() * 0.01;
        m_anchorGap = annotation.m_anchorGap.GetValue() * 0.01;
        m_rectCornerOffset = annotation.m_rectCornerOffset.GetValue() * 0.01;
        m_annotationArrowSize = annotation.m_arrowSize.GetValue() * 0.01;
        m_pointSize = annotation.m_pointSize.GetValue() * 0.01;
        m_borderGap = annotation.m_borderGap.GetValue() * 0.01;
    }
    UpdateData(false);
    m_initialised = true;
    return true;
}

const KTPreferenceDlg::NumberField* KTPreferenceDlg::FindField(int id) const
{
    // In tab order: the order in which the checks run and report.
    static const NumberField fields[] = {
        {IdShowOriginRadius, 0, 20, true},
        {IdBreakWidth, 0.1, 10, true},
        {IdBreakHeight, 0.1, 10, true},
        {IdAxisPipSize, 0.1, 10, true},
        {IdAxesArrowSize, 0.1, 5, true},
        {IdFRDivisions, 50, 500, true},
        {IdKeyZoomRatio, 1.01, 10, true},
        {IdEndCircleSize, 0, 3, true},
        {IdPointDiscontinuitySize, 0, 3, true},
        {IdAnchorGap, 0, 5, true},
        {IdRectCornerOffset, 0, 5, true},
        {IdAnnotationArrowSize, 0, 5, true},
        {IdPointSize, 0, 0, false},
        {IdBorderGap, 0, 5, true},
    };
    for (const NumberField& field : fields)
        if (field.id == id)
            return &field;
    return nullptr;
}

bool KTPreferenceDlg::UpdateData(bool saveAndValidate)
{
    const struct
    {
        int id;
        int* flag;
    } checks[] = {{IdShowOrigin, &m_showOrigin},
                  {IdShowNegativeArrows, &m_showNegativeArrows},
                  {IdShowPositiveArrows, &m_showPositiveArrows},
                  {IdBlankUnderScale, &m_blankUnderScale},
                  {IdRectBias, &m_rectBias},
                  {IdFRAgree, &m_frAgree},
                  {IdReplacePlusMinus, &m_replacePlusMinus},
                  {IdRightClickOnAxes, &m_rightClickOnAxes}};
    const struct
    {
        int id;
        double* value;
    } numbers[] = {{IdShowOriginRadius, &m_showOriginRadius},
                   {IdBreakWidth, &m_breakWidth},
                   {IdBreakHeight, &m_breakHeight},
                   {IdAxisPipSize, &m_axisPipSize},
                   {IdAxesArrowSize, &m_axesArrowSize},
                   {IdKeyZoomRatio, &m_keyZoomRatio},
                   {IdEndCircleSize, &m_endCircleSize},
                   {IdPointDiscontinuitySize, &m_pointDiscontinuitySize},
                   {IdAnchorGap, &m_anchorGap},
                   {IdRectCornerOffset, &m_rectCornerOffset},
                   {IdAnnotationArrowSize, &m_annotationArrowSize},
                   {IdPointSize, &m_pointSize},
                   {IdBorderGap, &m_borderGap}};
    const int tickIds[] = {IdTickBothSides, IdTickAboveRight, IdTickAboveLeft, IdTickBelowRight,
                           IdTickBelowLeft};

    if (!saveAndValidate) {
        for (const auto& row : checks) {
            auto* box = static_cast<QCheckBox*>(Control(row.id));
            const QSignalBlocker blocker(box);
            box->setChecked(*row.flag != 0);
        }
        for (const auto& row : numbers)
            static_cast<QLineEdit*>(Control(row.id))->setText(Number(*row.value).ToQString());
        static_cast<QLineEdit*>(Control(IdFRDivisions))->setText(QString::number(m_frDivisions));
        for (int i = 0; i < 5; ++i) {
            auto* radio = static_cast<QRadioButton*>(Control(tickIds[i]));
            const QSignalBlocker blocker(radio);
            radio->setChecked(i == m_tickStyle);
        }
        return true;
    }

    for (const auto& row : checks)
        *row.flag = static_cast<QCheckBox*>(Control(row.id))->isChecked() ? 1 : 0;
    m_tickStyle = -1;
    for (int i = 0; i < 5; ++i)
        if (static_cast<QRadioButton*>(Control(tickIds[i]))->isChecked())
            m_tickStyle = i;

    // The edits in the order of the dialog; the first that fails stops the exchange.
    const int order[] = {IdShowOriginRadius, IdBreakWidth,       IdBreakHeight,
                         IdAxisPipSize,      IdAxesArrowSize,    IdFRDivisions,
                         IdKeyZoomRatio,     IdEndCircleSize,    IdPointDiscontinuitySize,
                         IdAnchorGap,        IdRectCornerOffset, IdAnnotationArrowSize,
                         IdPointSize,        IdBorderGap};
    for (int id : order) {
        const NumberField* field = FindField(id);
        auto* line = static_cast<QLineEdit*>(Control(id));
        const CString typed = CString::FromQString(line->text());
        CString message;
        if (id == IdFRDivisions) {
            int value = 0;
            if (!ParseInt(typed, value))
                message = "Please enter an integer.";
            else if (value < field->minimum || value > field->maximum)
                message.Format("Please enter an integer between %d and %d.", static_cast<int>(field->minimum),
                               static_cast<int>(field->maximum));
            else
                m_frDivisions = value;
        } else {
            double value = 0;
            if (!ParseDouble(typed, value))
                message = "Please enter a number.";
            else if (field->checked && (value < field->minimum || value > field->maximum))
                message = CString("Please enter a number between ") + Number(field->minimum) + " and " +
                          Number(field->maximum) + ".";
            else
                for (const auto& row : numbers)
                    if (row.id == id)
                        *row.value = value;
        }
        if (!message.IsEmpty()) {
            KTMessageBox(kMessageCaption, message, MB_OK | MB_ICONWARNING);
            line->setFocus();
            line->selectAll();
            return false;
        }
    }
    return true;
}

void KTPreferenceDlg::WriteInto(KTOptionGraph3& options) const
{
    KTOptionAxes2& axes = options.m_axes;
    KTOptionsAnnotation& annotation = options.m_annotation;
    axes.m_showOrigin.m_value = static_cast<BYTE>(m_showOrigin);
    Put(axes.m_showOriginRadius, ToHundredths(m_showOriginRadius));
    axes.m_showNegativeArrows.m_value = static_cast<BYTE>(m_showNegativeArrows);
    axes.m_showPositiveArrows.m_value = static_cast<BYTE>(m_showPositiveArrows);
    axes.m_blankUnderScale.m_value = static_cast<BYTE>(m_blankUnderScale);
    axes.m_rectBias.m_value = static_cast<BYTE>(m_rectBias);
    Put(axes.m_breakWidth, ToHundredths(m_breakWidth));
    Put(axes.m_breakHeight, ToHundredths(m_breakHeight));
    Put(axes.m_axisPipSize, ToHundredths(m_axisPipSize));
    Put(axes.m_arrowSize, ToHundredths(m_axesArrowSize));
    Put(axes.m_tickStyle, m_tickStyle);
    options.m_frAgree.m_value = static_cast<BYTE>(m_frAgree);
    Put(options.m_frDivisions, m_frDivisions);
    axes.m_keyZoomRatio.m_value = m_keyZoomRatio;
    axes.m_keyZoomRatio.GetValue();
    options.m_replacePlusMinusOnDisplay.m_value = static_cast<BYTE>(m_replacePlusMinus);
    options.m_rightClickOnAxes.m_value = static_cast<BYTE>(m_rightClickOnAxes);
    for (KTOptionFunction3& function : options.m_functions) {
        Put(function.m_endCircleSize, ToHundredths(m_endCircleSize));
        Put(function.m_pointDiscontinuitySize, ToHundredths(m_pointDiscontinuitySize));
    }
    Put(annotation.m_anchorGap, ToHundredths(m_anchorGap));
    Put(annotation.m_rectCornerOffset, ToHundredths(m_rectCornerOffset));
    Put(annotation.m_arrowSize, ToHundredths(m_annotationArrowSize));
    Put(annotation.m_pointSize, ToHundredths(m_pointSize));
    Put(annotation.m_borderGap, ToHundredths(m_borderGap));
}

void KTPreferenceDlg::OnOK()
{
    // Nothing is written until every field passes, so a refused OK leaves the options as they were.
    if (!UpdateData(true))
        return;
    ApplyAndAccept();
}
