#include "ui/KTAxesDlg.h"
#include "ui/KTNamedWidgets.h"

#include "foundation/KTLogFont.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTOptionStore.h"
#include "foundation/RoundHalfUp.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTMessageBox.h"
#include "ui/CColorButton.h"
#include "ui/KTBreakTypeComboBox.h"
#include "ui/KTFontCombo.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTNumberEdits.h"
#include "ui/KTWeightTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

bool& Expanded()
{
    static bool expanded = false;
    return expanded;
}

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

const char* const kSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                              "20", "22", "24", "26", "28", "36", "48", "72"};

constexpr double kPointsPerHimetric = 0.11338583409262867;
constexpr double kSizePointsPerHimetric = 0.02834645669353835;
constexpr double kHimetricPerSizePoint = 35.2777777777;

void SetText(QLineEdit* edit, const CString& text)
{
    const QSignalBlocker blocker(edit);
    edit->setText(text.ToQString());
}

void SetCheck(QAbstractButton* button, int checked)
{
    const QSignalBlocker blocker(button);
    button->setChecked(checked != 0);
}

void SetComboText(QComboBox* combo, const CString& text)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentText(text.ToQString());
}

/// Colour exchange that never leaves "Automatic" in a record: it stands for the colour shown.
void ExchangeColour(bool save, CColorButton& button, COLORREF& colour)
{
    DDX_ColorButton(save, button, colour);
    if (save && colour == COLORPICK_AUTOMATIC)
        colour = button.GetShownColor();
}

/// The framework's reading of a number edit with its range check; the message is its own. The
/// number is shown, and read, in the user's form (the C form is read as well).
bool ExchangeMillimetres(bool save, QLineEdit* edit, double& value)
{
    if (!save) {
        SetText(edit, KTDecimalText(value));
        return true;
    }
    double typed = 0.0;
    if (!KTReadDecimal(CString::FromQString(edit->text()), typed)) {
        KTMessageBox("KT Graph 3", "Please enter a number.", MB_OK | MB_ICONWARNING);
        edit->setFocus();
        return false;
    }
    value = typed;
    if (value < 0.0 || value > KTAxesDlg::MillimetreMaximum) {
        KTMessageBox("KT Graph 3",
                     "Please enter a number between " + KTDecimalText(0.0) + " and " +
                         KTDecimalText(KTAxesDlg::MillimetreMaximum) + ".",
                     MB_OK | MB_ICONWARNING);
        edit->setFocus();
        return false;
    }
    return true;
}

template <typename Combo = QComboBox> Combo* MakeCombo(QWidget* parent, const char* name, bool editable)
{
    auto* combo = new Combo(parent);
    combo->setObjectName(Q(name));
    combo->setEditable(editable);
    if (editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

CColorButton* MakeColourButton(QWidget* parent, const char* name)
{
    auto* button = new CColorButton(parent);
    button->setObjectName(Q(name));
    button->setFixedSize(48, 24);
    return button;
}

} // namespace

bool KTAxesDlg::RememberedExpanded()
{
    return Expanded();
}

void KTAxesDlg::SetRememberedExpanded(bool expanded)
{
    Expanded() = expanded;
}

KTAxesDlg::KTAxesDlg(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent)
    : KTDialog(parent), m_defaults(defaults), m_store(store)
{
    setObjectName(Q("KTAxesDlg"));
    setWindowTitle(Q("Axes Properties"));
    CreateControls();
    ConnectControls();
}

KTAxesDlg::~KTAxesDlg() = default;

void KTAxesDlg::CreateControls()
{
    auto makeEdit = [this](const char* name) { return KTNamedEdit(this, name); };
    auto makeCheck = [this](const char* text, const char* name) { return KTNamedCheck(this, text, name); };
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };

    // Range and steps of each axis, with the parts of the axis that are shown.
    const char* const rangeNames[] = {"xMinEdit", "xMaxEdit", "yMinEdit", "yMaxEdit"};
    const char* const stepNames[] = {"xMinorEdit", "xMajorEdit", "yMinorEdit", "yMajorEdit"};
    const char* const autoNames[] = {"autoXMinorCheck", "autoXMajorCheck", "autoYMinorCheck",
                                     "autoYMajorCheck"};
    for (std::size_t i = 0; i < 4; ++i) {
        m_rangeEdits[i] = makeEdit(rangeNames[i]);
        m_stepEdits[i] = makeEdit(stepNames[i]);
        m_autoChecks[i] = makeCheck("", autoNames[i]);
        m_autoChecks[i]->setToolTip(Q("Automatic"));
    }
    const char* const showTexts[] = {"Show Scale", "Show Ticks", "Show Axis",
                                     "Show Scale", "Show Ticks", "Show Axis"};
    const char* const showNames[] = {"showXScaleCheck", "showXTicksCheck", "showXAxisCheck",
                                     "showYScaleCheck", "showYTicksCheck", "showYAxisCheck"};
    for (std::size_t i = 0; i < 6; ++i)
        m_showChecks[i] = makeCheck(showTexts[i], showNames[i]);
    m_showChecks[6] = makeCheck("Allow Broken Scales", "allowBreaksCheck");
    m_xLogCheck = makeCheck("Logarithmic Scale", "xLogCheck");
    m_yLogCheck = makeCheck("Logarithmic Scale", "yLogCheck");
    // The logarithmic scales are exchanged with the options but not offered.
    m_xLogCheck->setVisible(false);
    m_yLogCheck->setVisible(false);

    auto axisGroup = [&](const char* title, const char* name, std::size_t first) {
        auto* group = new QGroupBox(Q(title), this);
        group->setObjectName(Q(name));
        auto* grid = new QGridLayout(group);
        const std::size_t a = first * 2; // min, max of this axis
        grid->addWidget(new QLabel(Q("Minimum"), group), 0, 0);
        grid->addWidget(m_rangeEdits[a], 0, 1, 1, 2);
        grid->addWidget(new QLabel(Q("Maximum"), group), 1, 0);
        grid->addWidget(m_rangeEdits[a + 1], 1, 1, 1, 2);
        grid->addWidget(new QLabel(Q("Minor Step"), group), 2, 0);
        grid->addWidget(m_stepEdits[a], 2, 1);
        grid->addWidget(m_autoChecks[a], 2, 2);
        grid->addWidget(new QLabel(Q("Major Step"), group), 3, 0);
        grid->addWidget(m_stepEdits[a + 1], 3, 1);
        grid->addWidget(m_autoChecks[a + 1], 3, 2);
        for (std::size_t i = 0; i < 3; ++i)
            grid->addWidget(m_showChecks[first * 3 + i], 4 + static_cast<int>(i), 0, 1, 3);
        grid->addWidget(first == 0 ? m_xLogCheck : m_yLogCheck, 7, 0, 1, 3);
        return group;
    };
    auto* axesRow = new QHBoxLayout;
    axesRow->addWidget(axisGroup("x Axis", "xAxisGroup", 0));
    axesRow->addWidget(axisGroup("y Axis", "yAxisGroup", 1));

    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    m_moreLessButton = makeButton("More >>", "moreLessButton");
    m_lessCaption = new QLabel(Q("<< Less"), this);
    m_lessCaption->setObjectName(Q("lessCaption"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_setAsDefaultButton);
    buttons->addStretch(1);
    buttons->addWidget(m_lessCaption);
    buttons->addWidget(m_moreLessButton);

    auto* upper = new QHBoxLayout;
    upper->addLayout(axesRow, 1);
    upper->addLayout(buttons);

    m_collapseMarker = new QLabel(Q("Collapse"), this);
    m_collapseMarker->setObjectName(Q("collapseMarker"));
    m_collapseMarker->setFixedHeight(4);

    // Below the marker: the scale restriction, broken scales, the axis pens and the fonts.
    auto* restrictionGroup = new QGroupBox(Q("Scale"), this);
    restrictionGroup->setObjectName(Q("restrictionGroup"));
    const char* const radioTexts[] = {"Free", "Equal Aspect", "Fixed"};
    const char* const radioNames[] = {"freeRadio", "equalAspectRadio", "fixedRadio"};
    auto* radioGroup = new QButtonGroup(this);
    for (std::size_t i = 0; i < 3; ++i) {
        m_restrictionRadios[i] = new QRadioButton(Q(radioTexts[i]), restrictionGroup);
        m_restrictionRadios[i]->setObjectName(Q(radioNames[i]));
        radioGroup->addButton(m_restrictionRadios[i], static_cast<int>(i));
    }
    m_xMmEdit = makeEdit("xMillimetreEdit");
    m_yMmEdit = makeEdit("yMillimetreEdit");
    auto* restrictionLayout = new QGridLayout(restrictionGroup);
    restrictionLayout->addWidget(m_restrictionRadios[0], 0, 0);
    restrictionLayout->addWidget(m_restrictionRadios[1], 1, 0);
    restrictionLayout->addWidget(m_restrictionRadios[2], 2, 0);
    restrictionLayout->addWidget(m_xMmEdit, 3, 0);
    restrictionLayout->addWidget(new QLabel(Q("mm = 1 x unit"), restrictionGroup), 3, 1);
    restrictionLayout->addWidget(m_yMmEdit, 4, 0);
    restrictionLayout->addWidget(new QLabel(Q("mm = 1 y unit"), restrictionGroup), 4, 1);

    m_breakPicker = MakeCombo<KTBreakTypeComboBox>(this, "breakTypePicker", false);
    auto* breakGroup = new QGroupBox(Q("Broken Scales"), this);
    breakGroup->setObjectName(Q("breakGroup"));
    auto* breakLayout = new QVBoxLayout(breakGroup);
    m_showChecks[6]->setParent(breakGroup);
    breakLayout->addWidget(m_showChecks[6]);
    m_breakPicker->setParent(breakGroup);
    breakLayout->addWidget(m_breakPicker);
    breakLayout->addStretch(1);

    auto penGroup = [&](const char* title, const char* name, CColorButton*& colour,
                        KTLineStyleComboBox*& style, QComboBox*& weight, const char* colourName,
                        const char* styleName, const char* weightName) {
        auto* group = new QGroupBox(Q(title), this);
        group->setObjectName(Q(name));
        colour = MakeColourButton(group, colourName);
        style = MakeCombo<KTLineStyleComboBox>(group, styleName, false);
        weight = MakeCombo(group, weightName, true);
        for (const char* text : KTWeightTexts)
            weight->addItem(Q(text));
        auto* grid = new QGridLayout(group);
        grid->addWidget(new QLabel(Q("Colour"), group), 0, 0);
        grid->addWidget(colour, 0, 1, Qt::AlignLeft);
        grid->addWidget(new QLabel(Q("Style"), group), 1, 0);
        grid->addWidget(style, 1, 1);
        grid->addWidget(new QLabel(Q("Weight"), group), 2, 0);
        grid->addWidget(weight, 2, 1);
        return group;
    };
    auto* xPen = penGroup("x Axis Line", "xPenGroup", m_xColorButton, m_xStylePicker, m_xWeightCombo,
                          "xAxisColorButton", "xStylePicker", "xWeightCombo");
    auto* yPen = penGroup("y Axis Line", "yPenGroup", m_yColorButton, m_yStylePicker, m_yWeightCombo,
                          "yAxisColorButton", "yStylePicker", "yWeightCombo");

    auto fontGroup = [&](const char* title, const char* name, KTFontCombo*& face, QComboBox*& size,
                         CColorButton*& colour, const char* faceName, const char* sizeName,
                         const char* colourName) {
        auto* group = new QGroupBox(Q(title), this);
        group->setObjectName(Q(name));
        face = MakeCombo<KTFontCombo>(group, faceName, false);
        size = MakeCombo(group, sizeName, true);
        for (const char* text : kSizes)
            size->addItem(Q(text));
        colour = MakeColourButton(group, colourName);
        auto* row = new QHBoxLayout(group);
        row->addWidget(face, 1);
        row->addWidget(size);
        row->addWidget(colour);
        return group;
    };
    auto* axisFont = fontGroup("Axis Font", "axisFontGroup", m_axisFacePicker, m_axisSizeCombo,
                               m_axisColorButton, "axisFacePicker", "axisSizeCombo", "axisFontColorButton");
    auto* scaleFont =
        fontGroup("Scale Font", "scaleFontGroup", m_scaleFacePicker, m_scaleSizeCombo, m_scaleColorButton,
                  "scaleFacePicker", "scaleSizeCombo", "scaleFontColorButton");

    auto* lower = new QGridLayout;
    lower->addWidget(restrictionGroup, 0, 0);
    lower->addWidget(breakGroup, 0, 1);
    lower->addWidget(xPen, 1, 0);
    lower->addWidget(yPen, 1, 1);
    lower->addWidget(axisFont, 2, 0, 1, 2);
    lower->addWidget(scaleFont, 3, 0, 1, 2);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(upper);
    outer->addWidget(m_collapseMarker);
    outer->addLayout(lower);

    QWidget* const order[] = {m_rangeEdits[0],
                              m_rangeEdits[1],
                              m_stepEdits[0],
                              m_autoChecks[0],
                              m_stepEdits[1],
                              m_autoChecks[1],
                              m_showChecks[0],
                              m_showChecks[1],
                              m_showChecks[2],
                              m_rangeEdits[2],
                              m_rangeEdits[3],
                              m_stepEdits[2],
                              m_autoChecks[2],
                              m_stepEdits[3],
                              m_autoChecks[3],
                              m_showChecks[3],
                              m_showChecks[4],
                              m_showChecks[5],
                              m_okButton,
                              m_cancelButton,
                              m_setAsDefaultButton,
                              m_moreLessButton,
                              m_restrictionRadios[0],
                              m_restrictionRadios[1],
                              m_restrictionRadios[2],
                              m_xMmEdit,
                              m_yMmEdit,
                              m_showChecks[6],
                              m_breakPicker,
                              m_xColorButton,
                              m_xStylePicker,
                              m_xWeightCombo,
                              m_yColorButton,
                              m_yStylePicker,
                              m_yWeightCombo,
                              m_axisFacePicker,
                              m_axisSizeCombo,
                              m_axisColorButton,
                              m_scaleFacePicker,
                              m_scaleSizeCombo,
                              m_scaleColorButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void KTAxesDlg::ConnectControls()
{
    connect(m_okButton, &QPushButton::clicked, this, &KTAxesDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &KTAxesDlg::reject);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTAxesDlg::OnSetAsDefault);
    connect(m_moreLessButton, &QPushButton::clicked, this, &KTAxesDlg::OnMoreLess);
    connect(m_xStylePicker, &QComboBox::currentIndexChanged, this, &KTAxesDlg::OnXStyleChange);
    connect(m_yStylePicker, &QComboBox::currentIndexChanged, this, &KTAxesDlg::OnYStyleChange);
    connect(m_showChecks[6], &QCheckBox::clicked, this, &KTAxesDlg::OnAllowBreaks);
    for (std::size_t i = 0; i < 3; ++i)
        connect(m_restrictionRadios[i], &QRadioButton::clicked, this,
                [this, i] { OnRestriction(static_cast<int>(i)); });
    for (std::size_t i = 0; i < 4; ++i)
        connect(m_autoChecks[i], &QCheckBox::clicked, this, [this, i] { OnAutoStep(static_cast<int>(i)); });
}

bool KTAxesDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = 1;
    m_axisFacePicker->Fill();
    m_scaleFacePicker->Fill();
    m_breakPicker->FillFromTextTable(KTBreakTypeTable, CString());
    m_xStylePicker->FillFromTextTable(KTLineStyleTable, CString());
    m_yStylePicker->FillFromTextTable(KTLineStyleTable, CString());
    m_expander.Init(this, RememberedExpanded(), m_moreLessButton, m_collapseMarker, m_lessCaption);
    OptionsToControls();
    return true;
}

void KTAxesDlg::OptionsToControls()
{
    KTOptionAxes2& axes = m_options;
    m_breakType = axes.m_breakType.GetValue();
    m_show = {axes.m_showxScale.m_value,      axes.m_showxTicks.m_value, axes.m_showxAxis.m_value,
              axes.m_showyScale.m_value,      axes.m_showyTicks.m_value, axes.m_showyAxis.m_value,
              axes.m_allowBreakScales.m_value};
    for (int& flag : m_show)
        flag = flag ? 1 : 0;
    m_xLog = axes.m_xLogScale.m_value ? 1 : 0;
    m_yLog = axes.m_yLogScale.m_value ? 1 : 0;
    m_texts = {axes.m_xMinShowS.m_value, axes.m_xMaxShowS.m_value, axes.m_yMinShowS.m_value,
               axes.m_yMaxShowS.m_value, axes.m_xMinorS.m_value,   axes.m_xMajorS.m_value,
               axes.m_yMinorS.m_value,   axes.m_yMajorS.m_value};
    m_autoStep = {axes.m_autoxMinor.m_value ? 1 : 0, axes.m_autoxMajor.m_value ? 1 : 0,
                  axes.m_autoyMinor.m_value ? 1 : 0, axes.m_autoyMajor.m_value ? 1 : 0};
    for (std::size_t i = 0; i < 4; ++i) {
        if (m_autoStep[i] && !m_stepsInUse[i].IsEmpty())
            m_texts[4 + i] = m_stepsInUse[i];
        m_stepEdits[i]->setEnabled(m_autoStep[i] == 0);
    }
    m_restriction = axes.m_scaleRestriction.GetValue();
    EnableRangeEdits(m_restriction != 2);
    m_xMillimetres = axes.m_xScaleMeasurement.GetValue() * 0.01;
    m_yMillimetres = axes.m_yScaleMeasurement.GetValue() * 0.01;
    m_xMmEdit->setEnabled(m_restriction == 2);
    m_yMmEdit->setEnabled(m_restriction == 2);
    m_breakPicker->SelectItemData(m_breakType);
    m_breakPicker->setEnabled(m_show[6] != 0);

    const KTLogPen xPen = axes.m_xAxisPen.m_value;
    m_xColor = xPen.m_color;
    m_xWeight = WeightText(xPen.m_width);
    m_xStyle = xPen.StyleNumber();
    m_xStylePicker->SelectItemData(m_xStyle);
    EnableWeight(*m_xStylePicker, *m_xWeightCombo);
    const KTLogPen yPen = axes.m_yAxisPen.m_value;
    m_yColor = yPen.m_color;
    m_yWeight = WeightText(yPen.m_width);
    m_yStyle = yPen.StyleNumber();
    m_yStylePicker->SelectItemData(m_yStyle);
    EnableWeight(*m_yStylePicker, *m_yWeightCombo);
    // "Automatic" in the colour popups stands for the factory colour of each record.
    m_xColorButton->SetDefaultColor(axes.m_xAxisPen.GetDefault().m_color);
    m_yColorButton->SetDefaultColor(axes.m_yAxisPen.GetDefault().m_color);

    const KTLogFont& axisFont = axes.m_axisFont.m_value;
    m_axisFace = axisFont.GetFaceName();
    m_axisSize = SizeText(axisFont.m_size);
    m_axisColor = axisFont.m_color;
    const KTLogFont& scaleFont = axes.m_scaleFont.m_value;
    m_scaleFace = scaleFont.GetFaceName();
    m_scaleSize = SizeText(scaleFont.m_size);
    m_scaleColor = scaleFont.m_color;
    m_axisColorButton->SetDefaultColor(axes.m_axisFont.GetDefault().m_color);
    m_scaleColorButton->SetDefaultColor(axes.m_scaleFont.GetDefault().m_color);

    UpdateData(false);
}

bool KTAxesDlg::UpdateData(bool save)
{
    if (save) {
        m_xLog = m_xLogCheck->isChecked() ? 1 : 0;
        m_yLog = m_yLogCheck->isChecked() ? 1 : 0;
        m_restriction = -1;
        for (std::size_t i = 0; i < 3; ++i)
            if (m_restrictionRadios[i]->isChecked())
                m_restriction = static_cast<int>(i);
    } else {
        SetCheck(m_xLogCheck, m_xLog);
        SetCheck(m_yLogCheck, m_yLog);
        for (std::size_t i = 0; i < 3; ++i)
            SetCheck(m_restrictionRadios[i], m_restriction == static_cast<int>(i));
    }
    DDX_FontCombo(save, *m_axisFacePicker, m_axisFace);
    if (save)
        m_axisSize = CString::FromQString(m_axisSizeCombo->currentText());
    else
        SetComboText(m_axisSizeCombo, m_axisSize);
    ExchangeColour(save, *m_axisColorButton, m_axisColor);
    DDX_FontCombo(save, *m_scaleFacePicker, m_scaleFace);
    if (save)
        m_scaleSize = CString::FromQString(m_scaleSizeCombo->currentText());
    else
        SetComboText(m_scaleSizeCombo, m_scaleSize);
    ExchangeColour(save, *m_scaleColorButton, m_scaleColor);
    ExchangeColour(save, *m_xColorButton, m_xColor);
    if (save)
        m_xWeight = CString::FromQString(m_xWeightCombo->currentText());
    else
        SetComboText(m_xWeightCombo, m_xWeight);
    ExchangeColour(save, *m_yColorButton, m_yColor);
    if (save)
        m_yWeight = CString::FromQString(m_yWeightCombo->currentText());
    else
        SetComboText(m_yWeightCombo, m_yWeight);
    if (!ExchangeMillimetres(save, m_xMmEdit, m_xMillimetres) ||
        !ExchangeMillimetres(save, m_yMmEdit, m_yMillimetres))
        return false;

    // The edits in the order the texts are kept: x min, x max, y min, y max, then the steps. A
    // range or step that is no number is refused here; left in, it would be read as another
    // value (or none) at every paint. Edits the dialog fills itself are not checked.
    for (std::size_t i = 0; i < 8; ++i) {
        QLineEdit* edit = i < 4 ? m_rangeEdits[i] : m_stepEdits[i - 4];
        if (!save)
            SetText(edit, m_texts[i]);
        else if (!edit->isEnabled())
            m_texts[i] = CString::FromQString(edit->text());
        else if (!KTCheckNumberEdit(edit, m_texts[i], i < 4 ? KTIsTypedNumber : KTIsStepText))
            return false;
    }
    for (std::size_t i = 0; i < 7; ++i) {
        if (save)
            m_show[i] = m_showChecks[i]->isChecked() ? 1 : 0;
        else
            SetCheck(m_showChecks[i], m_show[i]);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (save)
            m_autoStep[i] = m_autoChecks[i]->isChecked() ? 1 : 0;
        else
            SetCheck(m_autoChecks[i], m_autoStep[i]);
    }
    return true;
}

CString KTAxesDlg::WeightText(double widthHimetric)
{
    const double points = std::floor(widthHimetric * kPointsPerHimetric + 0.5) * 0.25;
    KTNumberFormat format;
    return format.Format(points, 6) + "pt";
}

double KTAxesDlg::WeightPoints(const CString& text)
{
    CString number = text;
    number.TrimRight("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return KTNumberText().ToDouble(number);
}

CString KTAxesDlg::SizeText(int sizeHimetric)
{
    KTNumberFormat format;
    return format.Format(static_cast<double>(RoundHalfUp(sizeHimetric * kSizePointsPerHimetric)), 6);
}

int KTAxesDlg::SizeHimetric(const CString& text)
{
    const double himetric = KTNumberText().ToDoubleFromString(text) * kHimetricPerSizePoint;
    // A size no font can have is refused rather than truncated into a meaningless integer.
    if (!std::isfinite(himetric) ||
        std::fabs(himetric) >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return -1;
    return static_cast<int>(himetric);
}

namespace {

/// A pen rebuilt from the dialog; a weight that reads as no usable width keeps the old width.
KTLogPen BuildPen(const KTLogPen& old, const CString& weight, int style, COLORREF colour)
{
    double points = KTAxesDlg::WeightPoints(weight);
    if (!std::isfinite(points) || std::fabs(points * KTLogPen::kUnitsPerPoint) >= 2147483647.0)
        points = old.m_width / KTLogPen::kUnitsPerPoint;
    KTLogPen pen;
    pen.Set(points, style, colour);
    return pen;
}

/// A fresh font record with the dialog's face, size and colour; everything else its default.
/// A font whose controls still show what they were given stays the record it was: a dialog only
/// confirmed changes no font, not even in what it does not show (the axis font's italics).
KTLogFont BuildFont(const KTLogFont& old, const CString& face, const CString& size, COLORREF colour)
{
    if (face.CompareNoCase(old.GetFaceName()) == 0 && size == KTAxesDlg::SizeText(old.m_size) &&
        colour == old.m_color)
        return old;
    KTLogFont font;
    font.SetFaceName(face);
    font.m_color = colour;
    const int himetric = KTAxesDlg::SizeHimetric(size);
    font.m_size = himetric >= 0 ? himetric : old.m_size;
    return font;
}

} // namespace

void KTAxesDlg::ControlsToOptions(KTOptionAxes2& axes)
{
    m_breakType = m_breakPicker->GetSelectedData();
    m_xStyle = m_xStylePicker->GetSelectedData();
    m_yStyle = m_yStylePicker->GetSelectedData();
    axes.m_breakType.m_value = m_breakType;
    axes.m_breakType.GetValue();

    axes.m_showxScale.m_value = m_show[0] != 0;
    axes.m_showxTicks.m_value = m_show[1] != 0;
    axes.m_showxAxis.m_value = m_show[2] != 0;
    axes.m_showyScale.m_value = m_show[3] != 0;
    axes.m_showyTicks.m_value = m_show[4] != 0;
    axes.m_showyAxis.m_value = m_show[5] != 0;
    axes.m_allowBreakScales.m_value = m_show[6] != 0;
    axes.m_xLogScale.m_value = m_xLog != 0;
    axes.m_yLogScale.m_value = m_yLog != 0;

    axes.m_xMinShowS.SetValue(m_texts[0]);
    axes.m_xMaxShowS.SetValue(m_texts[1]);
    axes.m_yMinShowS.SetValue(m_texts[2]);
    axes.m_yMaxShowS.SetValue(m_texts[3]);
    axes.m_xMinorS.SetValue(m_texts[4]);
    axes.m_xMajorS.SetValue(m_texts[5]);
    axes.m_yMinorS.SetValue(m_texts[6]);
    axes.m_yMajorS.SetValue(m_texts[7]);

    axes.m_autoxMinor.m_value = m_autoStep[0] != 0;
    axes.m_autoxMajor.m_value = m_autoStep[1] != 0;
    axes.m_autoyMinor.m_value = m_autoStep[2] != 0;
    axes.m_autoyMajor.m_value = m_autoStep[3] != 0;

    axes.m_scaleRestriction.m_value = m_restriction;
    axes.m_scaleRestriction.GetValue();
    axes.m_xScaleMeasurement.m_value = m_xMillimetres * 100.0;
    axes.m_xScaleMeasurement.GetValue();
    axes.m_yScaleMeasurement.m_value = m_yMillimetres * 100.0;
    axes.m_yScaleMeasurement.GetValue();

    axes.m_xAxisPen.m_value = BuildPen(axes.m_xAxisPen.m_value, m_xWeight, m_xStyle, m_xColor);
    axes.m_yAxisPen.m_value = BuildPen(axes.m_yAxisPen.m_value, m_yWeight, m_yStyle, m_yColor);
    axes.m_axisFont.m_value = BuildFont(axes.m_axisFont.m_value, m_axisFace, m_axisSize, m_axisColor);
    axes.m_scaleFont.m_value = BuildFont(axes.m_scaleFont.m_value, m_scaleFace, m_scaleSize, m_scaleColor);
}

void KTAxesDlg::OnOK()
{
    // A refused value has had its message; the dialog stays open without a second one.
    if (!UpdateData(true))
        return;
    ControlsToOptions(m_options);
    QDialog::accept();
}

void KTAxesDlg::OnSetAsDefault()
{
    if (!m_defaults || !UpdateData(true))
        return;
    ControlsToOptions(m_defaults->m_axes);
    if (m_store) {
        m_defaults->SaveSettings(*m_store, false);
        m_store->Write();
    }
}

void KTAxesDlg::OnMoreLess()
{
    m_expander.Toggle();
    SetRememberedExpanded(!RememberedExpanded());
}

void KTAxesDlg::EnableWeight(const KTLineStyleComboBox& picker, QComboBox& weight)
{
    weight.setEnabled(picker.GetSelectedData() == KTLineStyleSolid);
}

void KTAxesDlg::EnableRangeEdits(bool enable)
{
    for (QLineEdit* edit : m_rangeEdits)
        edit->setEnabled(enable);
}

void KTAxesDlg::OnXStyleChange()
{
    EnableWeight(*m_xStylePicker, *m_xWeightCombo);
}

void KTAxesDlg::OnYStyleChange()
{
    EnableWeight(*m_yStylePicker, *m_yWeightCombo);
}

void KTAxesDlg::OnAllowBreaks()
{
    UpdateData(true);
    m_breakPicker->setEnabled(m_showChecks[6]->isChecked());
}

void KTAxesDlg::OnRestriction(int restriction)
{
    UpdateData(true);
    // The handler's own choice counts even when a refused value stopped the reading early.
    m_restriction = restriction;
    m_xMmEdit->setEnabled(restriction == 2);
    m_yMmEdit->setEnabled(restriction == 2);
    EnableRangeEdits(restriction != 2);
}

void KTAxesDlg::OnAutoStep(int which)
{
    UpdateData(true);
    const auto i = static_cast<std::size_t>(which);
    m_stepEdits[i]->setEnabled(!m_autoChecks[i]->isChecked());
}
