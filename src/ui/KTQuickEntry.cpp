#include "ui/KTQuickEntry.h"
#include "ui/KTNamedWidgets.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogBrush.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTOptionStore.h"
#include "axes/KTAxes.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTDC.h"
#include "platform/KTMessageBox.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"
#include "ui/CColorButton.h"
#include "ui/KTNumberEdits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

CString TextOf(const QLineEdit* edit)
{
    return CString::FromQString(edit->text());
}

void SetText(QLineEdit* edit, const CString& text)
{
    const QSignalBlocker blocker(edit);
    edit->setText(text.ToQString());
}

void SetCheck(QAbstractButton* button, bool checked)
{
    const QSignalBlocker blocker(button);
    button->setChecked(checked);
}

} // namespace

KTQuickEntry::KTQuickEntry(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent)
    : KTDialog(parent), m_defaults(defaults), m_store(store)
{
    setObjectName(Q("KTQuickEntry"));
    setWindowTitle(Q("KT Graph - Quick Entry"));
    CreateControls();
    ConnectControls();
}

KTQuickEntry::~KTQuickEntry()
{
    if (m_previewTimer)
        m_previewTimer->stop();
}

void KTQuickEntry::CreateControls()
{
    auto makeEdit = [this](const char* name) { return KTNamedEdit(this, name); };
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };

    // Functions: the equations, one per line, and the typeset preview of the caret's line.
    auto* functionsGroup = new QGroupBox(Q("Functions"), this);
    functionsGroup->setObjectName(Q("functionsGroup"));
    m_equationEdit = new QPlainTextEdit(functionsGroup);
    m_equationEdit->setObjectName(Q("equationEdit"));
    m_equationEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_equationEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_equationEdit->setTabChangesFocus(true);
    m_equationEdit->setMinimumSize(220, 170);
    m_preview = new QFrame(functionsGroup);
    m_preview->setObjectName(Q("previewFrame"));
    m_preview->setFrameShape(QFrame::NoFrame);
    m_preview->setMinimumSize(220, 60);
    m_preview->installEventFilter(this);
    m_messageLabel = KTNamedMessageLabel(functionsGroup, "messageLabel");
    auto* functionsLayout = new QVBoxLayout(functionsGroup);
    functionsLayout->addWidget(m_equationEdit, 1);
    functionsLayout->addWidget(m_preview);
    functionsLayout->addWidget(m_messageLabel);

    // Axes: names, maxima, the thumbnail with its two bars and centre buttons, angle unit.
    m_yAxisEdit = makeEdit("yAxisEdit");
    m_yAxisEdit->setMaxLength(AxisNameLimit);
    m_yMaxEdit = makeEdit("yMaxEdit");
    m_xAxisEdit = makeEdit("xAxisEdit");
    m_xAxisEdit->setMaxLength(AxisNameLimit);
    m_xMaxEdit = makeEdit("xMaxEdit");
    m_xBar = new QScrollBar(Qt::Horizontal, this);
    m_xBar->setObjectName(Q("xScrollBar"));
    m_yBar = new QScrollBar(Qt::Vertical, this);
    m_yBar->setObjectName(Q("yScrollBar"));
    for (QScrollBar* bar : {m_xBar, m_yBar}) {
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setFocusPolicy(Qt::StrongFocus);
    }
    m_centreXButton = makeButton("^", "centreXButton");
    m_centreYButton = makeButton("<", "centreYButton");
    for (QPushButton* button : {m_centreXButton, m_centreYButton})
        button->setFixedSize(20, 20);
    m_thumbnail = new QFrame(this);
    m_thumbnail->setObjectName(Q("thumbnailFrame"));
    m_thumbnail->setFrameShape(QFrame::NoFrame);
    m_thumbnail->setMinimumSize(150, 120);
    m_thumbnail->installEventFilter(this);
    m_angleList = new QComboBox(this);
    m_angleList->setObjectName(Q("angleList"));
    m_angleList->addItems({Q("Degrees"), Q("Radians"), Q("Grads")});
    m_angleList->installEventFilter(this);
    auto* angleIcon = new QLabel(QString::fromUtf8("\u2220"), this);
    angleIcon->setObjectName(Q("angleIcon"));
    m_showGridCheck = new QCheckBox(Q("Show Grid"), this);
    m_showGridCheck->setObjectName(Q("showGridCheck"));
    m_autoScaleCheck = new QCheckBox(Q("Auto Scale"), this);
    m_autoScaleCheck->setObjectName(Q("autoScaleCheck"));

    auto* axesLayout = new QGridLayout;
    axesLayout->addWidget(new QLabel(Q("y Axis"), this), 0, 0);
    axesLayout->addWidget(m_yAxisEdit, 0, 1, 1, 2);
    axesLayout->addWidget(new QLabel(Q("y Max"), this), 1, 0);
    axesLayout->addWidget(m_yMaxEdit, 1, 1, 1, 2);
    axesLayout->addWidget(m_xBar, 2, 1);
    axesLayout->addWidget(m_centreXButton, 2, 2);
    axesLayout->addWidget(m_yBar, 3, 0);
    axesLayout->addWidget(m_thumbnail, 3, 1);
    axesLayout->addWidget(m_centreYButton, 4, 0, Qt::AlignRight);
    axesLayout->addWidget(new QLabel(Q("x Axis"), this), 5, 0);
    axesLayout->addWidget(m_xAxisEdit, 5, 1, 1, 2);
    axesLayout->addWidget(new QLabel(Q("x Max"), this), 6, 0);
    axesLayout->addWidget(m_xMaxEdit, 6, 1, 1, 2);
    auto* angleRow = new QHBoxLayout;
    angleRow->addWidget(angleIcon);
    angleRow->addWidget(m_angleList, 1);
    axesLayout->addLayout(angleRow, 7, 0, 1, 3);
    axesLayout->addWidget(m_showGridCheck, 8, 0, 1, 3);
    axesLayout->addWidget(m_autoScaleCheck, 9, 0, 1, 3);

    // The command buttons.
    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    m_functionsButton = makeButton("&Functions", "functionsButton");
    m_axesButton = makeButton("&Axes", "axesButton");
    m_gridButton = makeButton("&Grid", "gridButton");
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    m_moreLessButton = makeButton("More >>", "moreLessButton");
    m_lessCaption = new QLabel(Q("<< Less"), this);
    m_lessCaption->setObjectName(Q("lessCaption"));
    auto* buttons = new QVBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(m_okButton), static_cast<QWidget*>(m_cancelButton),
                            static_cast<QWidget*>(m_functionsButton), static_cast<QWidget*>(m_axesButton),
                            static_cast<QWidget*>(m_gridButton), static_cast<QWidget*>(m_setAsDefaultButton)})
        buttons->addWidget(widget);
    buttons->addStretch(1);
    buttons->addWidget(m_lessCaption);
    buttons->addWidget(m_moreLessButton);

    auto* upper = new QHBoxLayout;
    upper->addWidget(functionsGroup, 1);
    upper->addLayout(axesLayout);
    upper->addLayout(buttons);

    // The marker ends the collapsed dialog; the shading group lies below it.
    m_collapseMarker = new QLabel(Q("Collapse"), this);
    m_collapseMarker->setObjectName(Q("collapseMarker"));
    m_collapseMarker->setFixedHeight(4);

    auto* regionGroup = new QGroupBox(Q("Feasible Region Shading"), this);
    regionGroup->setObjectName(Q("regionGroup"));
    m_halfPlanesRadio = new QRadioButton(Q("Half Planes"), regionGroup);
    m_halfPlanesRadio->setObjectName(Q("halfPlanesRadio"));
    m_feasibleOnlyRadio = new QRadioButton(Q("ONLY Feasible Region"), regionGroup);
    m_feasibleOnlyRadio->setObjectName(Q("feasibleOnlyRadio"));
    m_solidCheck = new QCheckBox(Q("Solid Shading if Possible"), regionGroup);
    m_solidCheck->setObjectName(Q("solidShadingCheck"));
    m_colorButton = new CColorButton(regionGroup);
    m_colorButton->setObjectName(Q("regionColorButton"));
    m_colorButton->setFixedSize(48, 24);
    auto* regionLayout = new QGridLayout(regionGroup);
    regionLayout->addWidget(m_halfPlanesRadio, 0, 0);
    regionLayout->addWidget(m_feasibleOnlyRadio, 1, 0);
    regionLayout->addWidget(m_solidCheck, 0, 1);
    regionLayout->addWidget(m_colorButton, 1, 1, Qt::AlignLeft);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(upper);
    outer->addWidget(m_collapseMarker);
    outer->addWidget(regionGroup);

    // The resource's order of the controls.
    QWidget* const order[] = {m_equationEdit,
                              m_angleList,
                              m_yAxisEdit,
                              m_yMaxEdit,
                              m_xAxisEdit,
                              m_xMaxEdit,
                              m_showGridCheck,
                              m_autoScaleCheck,
                              m_xBar,
                              m_yBar,
                              m_centreXButton,
                              m_centreYButton,
                              m_halfPlanesRadio,
                              m_feasibleOnlyRadio,
                              m_solidCheck,
                              m_colorButton,
                              m_functionsButton,
                              m_axesButton,
                              m_gridButton,
                              m_setAsDefaultButton,
                              m_moreLessButton,
                              m_okButton,
                              m_cancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_previewTimer = new QTimer(this);
    m_previewTimer->setObjectName(Q("previewTimer"));
    m_previewTimer->setInterval(PreviewTimerMs);
}

void KTQuickEntry::ConnectControls()
{
    connect(m_okButton, &QPushButton::clicked, this, &KTQuickEntry::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &KTQuickEntry::reject);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTQuickEntry::OnSetAsDefault);
    connect(m_moreLessButton, &QPushButton::clicked, this, &KTQuickEntry::OnMoreLess);
    connect(m_axesButton, &QPushButton::clicked, this, &KTQuickEntry::OnAxes);
    connect(m_gridButton, &QPushButton::clicked, this, &KTQuickEntry::OnGrid);
    connect(m_functionsButton, &QPushButton::clicked, this, &KTQuickEntry::OnFunctions);
    connect(m_autoScaleCheck, &QCheckBox::clicked, this, &KTQuickEntry::OnAutoScale);
    connect(m_halfPlanesRadio, &QRadioButton::clicked, this, &KTQuickEntry::OnHalfPlanes);
    connect(m_feasibleOnlyRadio, &QRadioButton::clicked, this, &KTQuickEntry::OnFeasibleOnly);
    connect(m_equationEdit, &QPlainTextEdit::textChanged, this, &KTQuickEntry::OnEquationChange);
    connect(m_xMaxEdit, &QLineEdit::textChanged, this, &KTQuickEntry::OnXMaxChange);
    connect(m_yMaxEdit, &QLineEdit::textChanged, this, &KTQuickEntry::OnYMaxChange);
    connect(m_centreXButton, &QPushButton::clicked, this, &KTQuickEntry::OnCentreX);
    connect(m_centreYButton, &QPushButton::clicked, this, &KTQuickEntry::OnCentreY);
    connect(m_xBar, &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(m_xBar, action, true); });
    connect(m_yBar, &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(m_yBar, action, false); });
    connect(m_previewTimer, &QTimer::timeout, this, &KTQuickEntry::OnTimer);
    connect(this, &QDialog::finished, m_previewTimer, &QTimer::stop);
}

bool KTQuickEntry::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = 1;

    KTOptionGraph3& options = m_data.m_options;
    KTOptionAxes2& axes = options.m_axes;
    m_showGrid = axes.m_showGrid.m_value ? 1 : 0;
    m_xNotate = axes.m_xNotate.m_value;
    m_yNotate = axes.m_yNotate.m_value;
    m_xMax = axes.m_xMaxShowS.m_value;
    m_xMin = axes.m_xMinShowS.m_value;
    m_yMax = axes.m_yMaxShowS.m_value;
    m_yMin = axes.m_yMinShowS.m_value;
    m_autoScale = options.m_autoScale.m_value ? 1 : 0;
    m_xMajor = axes.m_xMajorS.m_value;
    m_xMinor = axes.m_xMinorS.m_value;
    m_yMajor = axes.m_yMajorS.m_value;
    m_yMinor = axes.m_yMinorS.m_value;
    // A stored unit outside 0..2 is put back to the middle of the range in the working options.
    m_angleIndex = axes.m_angleSystem.GetValue();
    m_regionColor = options.m_frBrush.m_value.m_color;
    m_solidShading = options.m_frSolid.m_value ? 1 : 0;
    m_feasibleMode = options.m_frOnly.m_value ? 1 : 0;
    // "Automatic" in the colour popup stands for the factory shading colour.
    m_colorButton->SetDefaultColor(options.m_frBrush.GetDefault().m_color);

    UpdateData(false);
    m_scrollFlag = 0;
    m_expander.Init(this, false, m_moreLessButton, m_collapseMarker, m_lessCaption);
    m_colorButton->setEnabled(m_feasibleMode == 1);
    m_solidCheck->setEnabled(m_feasibleMode == 1);
    SetUpScrollBars();
    ApplyAutoScaleRule();

    RebuildEdit();
    m_previewTimer->start();
    m_previewFlag = 1;
    UpdateMessage();
    return true;
}

void KTQuickEntry::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_angleIndex = m_angleList->currentIndex();
        m_showGrid = m_showGridCheck->isChecked() ? 1 : 0;
        m_autoScale = m_autoScaleCheck->isChecked() ? 1 : 0;
        m_yNotate = TextOf(m_yAxisEdit);
        m_yMax = TextOf(m_yMaxEdit);
        m_xNotate = TextOf(m_xAxisEdit);
        m_xMax = TextOf(m_xMaxEdit);
        m_feasibleMode = m_halfPlanesRadio->isChecked() ? 0 : m_feasibleOnlyRadio->isChecked() ? 1 : -1;
        m_solidShading = m_solidCheck->isChecked() ? 1 : 0;
        RegionColourFromButton();
        return;
    }
    {
        const QSignalBlocker blocker(m_angleList);
        m_angleList->setCurrentIndex(m_angleIndex);
    }
    SetCheck(m_showGridCheck, m_showGrid != 0);
    SetCheck(m_autoScaleCheck, m_autoScale != 0);
    SetText(m_yAxisEdit, m_yNotate);
    SetText(m_yMaxEdit, m_yMax);
    SetText(m_xAxisEdit, m_xNotate);
    SetText(m_xMaxEdit, m_xMax);
    SetCheck(m_halfPlanesRadio, m_feasibleMode == 0);
    SetCheck(m_feasibleOnlyRadio, m_feasibleMode == 1);
    SetCheck(m_solidCheck, m_solidShading != 0);
    DDX_ColorButton(false, *m_colorButton, m_regionColor);
}

void KTQuickEntry::RegionColourFromButton()
{
    DDX_ColorButton(true, *m_colorButton, m_regionColor);
    // The brush needs a real colour: "Automatic" is the colour the button shows for it.
    if (m_regionColor == COLORPICK_AUTOMATIC)
        m_regionColor = m_colorButton->GetShownColor();
}

CString KTQuickEntry::TypedText() const
{
    CString text = CString::FromQString(m_equationEdit->toPlainText());
    text.Replace("\n", "\r\n");
    return text;
}

KTQuickEntry::LinePlacement KTQuickEntry::SplitFunctions()
{
    LinePlacement placement = PlaceLines(TypedText());
    for (int i = 0; i < FunctionCount; ++i)
        m_data.Function(i).Data().m_equationText = placement.texts[static_cast<std::size_t>(i)];
    MarkChanged();
    return placement;
}

void KTQuickEntry::RebuildEdit(const std::vector<CString>& furtherLines)
{
    std::array<CString, FunctionCount> texts;
    for (int i = 0; i < FunctionCount; ++i)
        texts[static_cast<std::size_t>(i)] = m_data.Function(i).Data().m_equationText;
    CString all = JoinTexts(texts);
    for (const CString& line : furtherLines)
        all += "\r\n" + line;
    QString joined = all.ToQString();
    joined.replace(Q("\r\n"), Q("\n"));
    {
        const QSignalBlocker blocker(m_equationEdit);
        m_equationEdit->setPlainText(joined);
    }
    QTextCursor cursor = m_equationEdit->textCursor();
    cursor.setPosition(0);
    m_equationEdit->setTextCursor(cursor);
    m_equationEdit->ensureCursorVisible();
}

bool KTQuickEntry::AgreeToLeaveOut(const LinePlacement& placement)
{
    if (placement.leftOut.empty())
        return true;
    CString text;
    text.Format("KT Graph holds ten functions, and no empty line is left for %d more:\n",
                static_cast<int>(placement.leftOut.size()));
    constexpr std::size_t kShown = 5;
    for (std::size_t i = 0; i < std::min(kShown, placement.leftOut.size()); ++i)
        text += "\n" + placement.lines[static_cast<std::size_t>(placement.leftOut[i])];
    if (placement.leftOut.size() > kShown)
        text += "\n...";
    text += "\n\nLeave them out?";
    if (KTMessageBox("KT Graph 3", text, MB_YESNO | MB_ICONQUESTION) == IDYES)
        return true;
    // Back to the first line that has no place, for the user to make room or join lines.
    QTextCursor cursor(m_equationEdit->document()->findBlockByNumber(placement.leftOut.front()));
    m_equationEdit->setTextCursor(cursor);
    m_equationEdit->setFocus();
    return false;
}

void KTQuickEntry::OnOK()
{
    // A typed maximum that is no number would be read as another value at every paint.
    CString typed;
    for (QLineEdit* edit : {m_xMaxEdit, m_yMaxEdit})
        if (edit->isEnabled() && !KTCheckNumberEdit(edit, typed))
            return;
    if (!AgreeToLeaveOut(PlaceLines(TypedText())))
        return;
    UpdateData(true);
    SplitFunctions();
    KTOptionGraph3& options = m_data.m_options;
    KTOptionAxes2& axes = options.m_axes;
    axes.m_showGrid.m_value = m_showGrid ? 1 : 0;
    axes.m_xNotate.SetValue(m_xNotate);
    axes.m_yNotate.SetValue(m_yNotate);
    axes.m_xMaxShowS.SetValue(m_xMax);
    axes.m_xMinShowS.SetValue(m_xMin);
    axes.m_yMaxShowS.SetValue(m_yMax);
    axes.m_yMinShowS.SetValue(m_yMin);
    options.m_autoScale.m_value = m_autoScale ? 1 : 0;
    axes.m_angleSystem.m_value = m_angleIndex;
    axes.m_angleSystem.GetValue();
    axes.m_xMajorS.SetValue(m_xMajor);
    axes.m_xMinorS.SetValue(m_xMinor);
    axes.m_yMajorS.SetValue(m_yMajor);
    axes.m_yMinorS.SetValue(m_yMinor);
    options.m_frBrush.m_value = KTLogBrush(KTBrushKindNumber, 1, m_regionColor, 0);
    options.m_frPixel.m_value = m_regionColor;
    options.m_frSolid.m_value = m_solidShading ? 1 : 0;
    options.m_frOnly.m_value = m_feasibleMode == 1 ? 1 : 0;
    QDialog::accept();
}

void KTQuickEntry::OnSetAsDefault()
{
    if (!m_defaults)
        return;
    UpdateData(true);
    KTOptionGraph3& defaults = *m_defaults;
    defaults.m_axes.m_angleSystem.m_value = m_angleIndex;
    defaults.m_axes.m_angleSystem.GetValue();
    defaults.m_axes.m_showGrid.m_value = m_showGrid ? 1 : 0;
    defaults.m_autoScale.m_value = m_autoScale ? 1 : 0;
    defaults.m_frOnly.m_value = m_feasibleMode == 1 ? 1 : 0;
    defaults.m_frSolid.m_value = m_solidShading ? 1 : 0;
    defaults.m_frBrush.m_value = KTLogBrush(KTBrushKindNumber, 1, m_regionColor, 0);
    defaults.m_frPixel.m_value = m_regionColor;
    if (m_store) {
        defaults.SaveSettings(*m_store, false);
        m_store->Write();
    }
}

void KTQuickEntry::OnMoreLess()
{
    m_expander.Toggle();
}

void KTQuickEntry::OnHalfPlanes()
{
    m_colorButton->setEnabled(false);
    m_solidCheck->setEnabled(false);
}

void KTQuickEntry::OnFeasibleOnly()
{
    m_colorButton->setEnabled(true);
    m_solidCheck->setEnabled(true);
}

void KTQuickEntry::ApplyAutoScaleRule()
{
    const bool typed = !m_autoScaleCheck->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(m_xMaxEdit), static_cast<QWidget*>(m_yMaxEdit),
                            static_cast<QWidget*>(m_xBar), static_cast<QWidget*>(m_yBar)})
        widget->setEnabled(typed);
}

void KTQuickEntry::OnAutoScale()
{
    ApplyAutoScaleRule();
    MarkChanged();
}

void KTQuickEntry::OnEquationChange()
{
    m_previewFlag = 1;
    MarkChanged();
    m_preview->update();
    UpdateMessage();
}

void KTQuickEntry::UpdateMessage()
{
    // The caret's line read as the graph will read it: a line that cannot be drawn says why
    // here, while it is typed, and never in a box.
    m_messageLine = CaretLine();
    const LinePlacement placement = PlaceLines(TypedText());
    const std::size_t line = static_cast<std::size_t>(m_messageLine);
    const int slot = line < placement.functionOf.size() ? placement.functionOf[line] : -1;
    CString message;
    if (slot >= 0) {
        KTAxes* owner = m_data.Function(slot).Data().m_owner;
        message = KTFunction3::InterpretationMessage(placement.lines[line], owner);
        if (message.IsEmpty() && m_messageLine >= FunctionCount)
            message.Format("This line becomes function %d: its own line is empty", slot + 1);
    }
    // A line that finds no function is not dropped without a word.
    if (!placement.leftOut.empty() && (message.IsEmpty() || slot < 0))
        message = TenFunctionsMessage;
    m_messageLabel->setText(message.ToQString());
}

void KTQuickEntry::OnXMaxChange()
{
    const RangeRule rule = ApplyRangeRule(TextOf(m_xMaxEdit), m_xMin, m_hFraction, m_scrollFlag != 0);
    if (rule.changed) {
        m_scrollFlag = 0;
        m_xMin = rule.minText;
        m_xMajor = rule.majorText;
        m_xMinor = rule.minorText;
    }
    ComputeOriginFractions();
    MarkChanged();
}

void KTQuickEntry::OnYMaxChange()
{
    const RangeRule rule = ApplyRangeRule(TextOf(m_yMaxEdit), m_yMin, m_vFraction, m_scrollFlag != 0);
    if (rule.changed) {
        m_scrollFlag = 0;
        m_yMin = rule.minText;
        m_yMajor = rule.majorText;
        m_yMinor = rule.minorText;
    }
    ComputeOriginFractions();
    MarkChanged();
}

void KTQuickEntry::OnCentreX()
{
    UpdateData(true);
    // The span shown now: a max typed since the bars were set up has changed it.
    m_xRange = EvaluateNumberText(m_xMax, nullptr) - EvaluateNumberText(m_xMin, nullptr);
    const KTNumberFormat format;
    m_xMax = format.Format(m_xRange * 0.5, 6);
    m_xMin = format.Format(m_xRange * -0.5, 6);
    UpdateData(false);
    m_thumbnail->update();
    SetUpScrollBars();
    ComputeOriginFractions();
    MarkChanged();
}

void KTQuickEntry::OnCentreY()
{
    UpdateData(true);
    m_yRange = EvaluateNumberText(m_yMax, nullptr) - EvaluateNumberText(m_yMin, nullptr);
    const KTNumberFormat format;
    m_yMax = format.Format(m_yRange * 0.5, 6);
    m_yMin = format.Format(m_yRange * -0.5, 6);
    UpdateData(false);
    m_thumbnail->update();
    SetUpScrollBars();
    ComputeOriginFractions();
    MarkChanged();
}

void KTQuickEntry::SetUpScrollBars()
{
    const BarSetup x = ComputeBar(m_xMax, m_xMin, m_xMinor, m_xMajor, true);
    const BarSetup y = ComputeBar(m_yMax, m_yMin, m_yMinor, m_yMajor, false);
    m_xRange = x.span;
    m_yRange = y.span;
    m_xBar->setRange(0, std::max(0, x.maximum));
    m_xBar->setValue(x.position);
    m_yBar->setRange(0, std::max(0, y.maximum));
    m_yBar->setValue(y.position);
    ComputeOriginFractions();
}

void KTQuickEntry::ComputeOriginFractions()
{
    m_hFraction = OriginFraction(m_xBar->value(), m_xBar->minimum(), m_xBar->maximum(), true);
    m_vFraction = OriginFraction(m_yBar->value(), m_yBar->minimum(), m_yBar->maximum(), false);
}

void KTQuickEntry::OnBarAction(QScrollBar* bar, int action, bool horizontal)
{
    int code = -1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: break;
    }
    // The bar has already moved its slider by its own rules; the handler decides the position.
    const int position = bar->sliderPosition();
    if (horizontal)
        OnHScroll(code, position);
    else
        OnVScroll(code, position);
    bar->setSliderPosition(bar->value());
}

namespace {

// The bar's new position for a scroll code, kept within its range.
int ScrolledPosition(const QScrollBar* bar, int old, int code, int position)
{
    int moved = old;
    switch (code) {
    case KTQuickEntry::SB_LINEUP:
    case KTQuickEntry::SB_PAGEUP: moved = old - 1; break;
    case KTQuickEntry::SB_LINEDOWN:
    case KTQuickEntry::SB_PAGEDOWN: moved = old + 1; break;
    case KTQuickEntry::SB_THUMBPOSITION:
    case KTQuickEntry::SB_THUMBTRACK: moved = position; break;
    default: break;
    }
    return std::clamp(moved, bar->minimum(), std::max(bar->minimum(), bar->maximum()));
}

} // namespace

void KTQuickEntry::OnHScroll(int code, int position)
{
    const int old = m_xBar->value();
    m_xBar->setFocus();
    const int moved = ScrolledPosition(m_xBar, old, code, position);
    m_xBar->setValue(moved);
    if (moved == old)
        return;
    m_scrollFlag = 1;
    SetMaxAfterScroll(m_xMaxEdit, m_xMin, old - moved, true);
}

void KTQuickEntry::OnVScroll(int code, int position)
{
    const int old = m_yBar->value();
    m_yBar->setFocus();
    const int moved = ScrolledPosition(m_yBar, old, code, position);
    m_yBar->setValue(moved);
    if (moved == old)
        return;
    m_scrollFlag = 1;
    SetMaxAfterScroll(m_yMaxEdit, m_yMin, moved - old, false);
}

void KTQuickEntry::SetMaxAfterScroll(QLineEdit* maxEdit, CString& minText, int steps, bool horizontal)
{
    CString delta = horizontal ? m_xMinor : m_yMinor;
    MultiplyNumberText(delta, steps);
    CString max = TextOf(maxEdit);
    AddNumberText(max, delta);
    AddNumberText(minText, delta);
    // Setting the max is a change of the edit: the automatic rule runs with the flag set (also
    // when the text comes out the same).
    SetText(maxEdit, max);
    if (horizontal)
        OnXMaxChange();
    else
        OnYMaxChange();
    m_thumbnail->update();
    ComputeOriginFractions();
    MarkChanged();
}

int KTQuickEntry::CaretLine() const
{
    return m_equationEdit->textCursor().blockNumber();
}

void KTQuickEntry::OnTimer()
{
    const int line = CaretLine();
    if (line != m_previewLine) {
        m_previewFlag = 1;
        MarkChanged();
        m_preview->update();
    }
    if (line != m_messageLine)
        UpdateMessage();
}

bool KTQuickEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && (watched == m_preview || watched == m_thumbnail)) {
        const bool preview = watched == m_preview;
        PaintGuarded(static_cast<QWidget*>(watched), [this, preview](QPainter& painter) {
            if (preview)
                PaintPreview(painter);
            else
                PaintThumbnail(painter);
        });
        return true;
    }
    if (event->type() == QEvent::FocusOut && watched == m_angleList)
        MarkChanged();
    return QDialog::eventFilter(watched, event);
}

void KTQuickEntry::PaintPreview(QPainter& painter)
{
    KTEOptions options(KTEPresetGraphing);
    KTLogFont font = options.m_font.GetValue();
    font.m_size = PreviewFontSize;
    options.m_font.SetValue(font);
    KTDC dc(&painter);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetMapMode(MM_HIMETRIC);
    UpdateData(true);

    CSize area(m_preview->width(), m_preview->height());
    dc.DPtoHIMETRIC(&area);
    if (m_previewFlag) {
        const LinePlacement placement = SplitFunctions();
        m_previewLine = CaretLine();
        // The caret's line as its function will hold it; a line that finds none shows nothing.
        const std::size_t line = static_cast<std::size_t>(m_previewLine);
        m_previewText = line < placement.functionOf.size() && placement.functionOf[line] >= 0
                            ? placement.lines[line]
                            : CString();
        m_previewSize = 0;
        // An empty line has no width to scale by: it shows nothing.
        if (!m_previewText.IsEmpty()) {
            KTEEquation measured;
            measured.SetText(m_previewText, options);
            const KTEExtent extent = measured.GetExtent(&dc, options);
            if (extent.width > 0 && extent.height > 0) {
                const double scale = 0.9 * std::min(static_cast<double>(std::abs(area.cx)) / extent.width,
                                                    static_cast<double>(std::abs(area.cy)) / extent.height);
                const double size = std::trunc(PreviewFontSize * scale);
                m_previewSize = static_cast<int>(std::clamp(size, 1.0, static_cast<double>(PreviewFontSize)));
            }
        }
        m_previewFlag = 0;
    }
    if (m_previewSize <= 0)
        return;
    font.m_size = m_previewSize;
    options.m_font.SetValue(font);
    KTEEquation equation;
    equation.SetText(m_previewText, options);
    equation.Draw(&dc, 0, 0, options);
}

void KTQuickEntry::PaintThumbnail(QPainter& painter)
{
    UpdateData(true);
    KTDC dc(&painter);
    dc.SetMapMode(MM_HIMETRIC);

    KTOptionAxes2 options = m_data.m_options.m_axes;
    options.m_xMaxShowS.SetValue(m_xMax);
    options.m_xMinShowS.SetValue(m_xMin);
    options.m_yMaxShowS.SetValue(m_yMax);
    options.m_yMinShowS.SetValue(m_yMin);
    options.m_xNotate.SetValue("");
    options.m_yNotate.SetValue("");
    options.m_showxTicks.m_value = 0;
    options.m_showyTicks.m_value = 0;
    options.m_showxScale.m_value = 0;
    options.m_showyScale.m_value = 0;
    options.m_scaleFont.m_value.m_size = 1;
    options.m_arrowSize.m_value = 50;
    options.m_arrowSize.GetValue();
    options.m_standardGap.m_value = 50;
    options.m_standardGap.GetValue();

    CRect area(0, 0, m_thumbnail->width(), m_thumbnail->height());
    dc.DPtoLP(&area);
    KTAxes axes;
    axes.Layout(area.left, area.top, area.right, area.bottom, -10.0, 10.0, -10.0, 10.0, options, dc);
    axes.Draw(dc);
    ComputeOriginFractions();
}
