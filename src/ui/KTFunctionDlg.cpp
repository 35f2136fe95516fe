#include "ui/KTFunctionDlg.h"
#include "ui/KTNamedWidgets.h"

#include "engine/KTEquationPartKind.h"
#include "engine/KTFunction3.h"
#include "engine/KTInterpretStatus.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"

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
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

constexpr const char* kMessageCaption = "KT Graph 3";

const char* const kWeights[] = {"0.25pt", "0.50pt", "0.75pt", "1pt", "1.25pt", "1.50pt", "1.75pt", "2pt",
                                "2.25pt", "2.50pt", "2.75pt", "3pt", "3.25pt", "3.50pt", "3.75pt", "4pt"};

// The number edit as the framework reads an integer: optional blanks and sign, digits only.
bool ParseInteger(const QString& text, int& value)
{
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = parsed;
    return ok;
}

} // namespace

KTFunctionDlg::KTFunctionDlg(QWidget* parent) : KTDialog(parent)
{
    setObjectName(Q("KTFunctionDlg"));
    setWindowTitle(Q("Function Properties"));
    CreateControls();
    ConnectControls();
}

KTFunctionDlg::~KTFunctionDlg() = default;

void KTFunctionDlg::CreateControls()
{
    auto makeEdit = [this](const char* name) { return KTNamedEdit(this, name); };
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };
    auto makeFrame = [this](const char* name) {
        auto* frame = new QFrame(this);
        frame->setObjectName(Q(name));
        frame->setFrameShape(QFrame::NoFrame);
        frame->setMinimumSize(260, 50);
        frame->installEventFilter(this);
        return frame;
    };

    m_equationEdit = makeEdit("equationEdit");
    m_domainEdit = makeEdit("domainEdit");
    m_equationFrame = makeFrame("equationPreview");
    m_domainFrame = makeFrame("domainPreview");
    m_messageLabel = KTNamedMessageLabel(this, "messageLabel");
    auto* texts = new QGridLayout;
    texts->addWidget(new QLabel(Q("Function"), this), 0, 0);
    texts->addWidget(m_equationEdit, 0, 1);
    texts->addWidget(m_equationFrame, 1, 1);
    texts->addWidget(m_messageLabel, 2, 1);
    texts->addWidget(new QLabel(Q("Domain"), this), 3, 0);
    texts->addWidget(m_domainEdit, 3, 1);
    texts->addWidget(m_domainFrame, 4, 1);

    const char* const checkTexts[7] = {"Vertical Asymptotes", "Horizontal Asymptotes", "Show Arrows",
                                       "Show Domain Low",     "Show Domain High",      "Show 1st Derivative",
                                       "Show 2nd Derivative"};
    const char* const checkNames[7] = {"vAsymCheck",           "hAsymCheck",    "showArrowsCheck",
                                       "showLowCheck",         "showHighCheck", "firstDerivativeCheck",
                                       "secondDerivativeCheck"};
    auto* checks = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        m_checks[i] = new QCheckBox(Q(checkTexts[i]), this);
        m_checks[i]->setObjectName(Q(checkNames[i]));
        checks->addWidget(m_checks[i], i % 4, i / 4);
    }

    m_numberEdit = makeEdit("numberEdit");
    m_numberEdit->setMaximumWidth(40);
    m_spin = new QScrollBar(Qt::Vertical, this);
    m_spin->setObjectName(Q("numberSpin"));
    m_spin->setRange(1, FunctionCount);
    m_spin->setSingleStep(1);
    m_spin->setPageStep(1);
    m_spin->setFixedHeight(m_numberEdit->sizeHint().height());
    auto* number = new QHBoxLayout;
    number->addWidget(new QLabel(Q("Function Number"), this));
    number->addWidget(m_numberEdit);
    number->addWidget(m_spin);
    number->addStretch(1);

    auto* lineGroup = new QGroupBox(Q("Line"), this);
    lineGroup->setObjectName(Q("lineGroup"));
    m_stylePicker = new KTLineStyleComboBox(lineGroup);
    m_stylePicker->setObjectName(Q("stylePicker"));
    m_stylePicker->setMinimumWidth(110);
    m_weightCombo = new QComboBox(lineGroup);
    m_weightCombo->setObjectName(Q("weightCombo"));
    m_weightCombo->setEditable(true);
    m_weightCombo->setInsertPolicy(QComboBox::NoInsert);
    for (const char* weight : kWeights)
        m_weightCombo->addItem(Q(weight));
    m_colorButton = new CColorButton(lineGroup);
    m_colorButton->setObjectName(Q("lineColorButton"));
    m_colorButton->setFixedSize(48, 24);
    auto* line = new QGridLayout(lineGroup);
    line->addWidget(new QLabel(Q("Style"), lineGroup), 0, 0);
    line->addWidget(m_stylePicker, 0, 1);
    line->addWidget(new QLabel(Q("Weight"), lineGroup), 1, 0);
    line->addWidget(m_weightCombo, 1, 1);
    line->addWidget(m_colorButton, 2, 1, Qt::AlignLeft);

    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    m_deleteButton = makeButton("Delete", "deleteButton");
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(m_setAsDefaultButton);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addLayout(texts);
    left->addLayout(checks);
    left->addLayout(number);
    left->addWidget(lineGroup);
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left, 1);
    outer->addLayout(buttons);

    QWidget* const order[] = {
        m_equationEdit, m_domainEdit,  m_checks[0], m_checks[1],    m_checks[2],    m_checks[3],
        m_checks[4],    m_checks[5],   m_checks[6], m_numberEdit,   m_spin,         m_stylePicker,
        m_weightCombo,  m_colorButton, m_okButton,  m_cancelButton, m_deleteButton, m_setAsDefaultButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void KTFunctionDlg::ConnectControls()
{
    connect(m_okButton, &QPushButton::clicked, this, &KTFunctionDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &KTFunctionDlg::reject);
    connect(m_deleteButton, &QPushButton::clicked, this, &KTFunctionDlg::OnDelete);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTFunctionDlg::OnSetAsDefault);
    connect(m_equationEdit, &QLineEdit::textChanged, this, &KTFunctionDlg::OnEquationChange);
    connect(m_domainEdit, &QLineEdit::textChanged, this, &KTFunctionDlg::OnDomainChange);
    connect(m_numberEdit, &QLineEdit::textChanged, this, &KTFunctionDlg::OnNumberChange);
    connect(m_spin, &QScrollBar::actionTriggered, this, [this](int action) {
        int code = -1;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
        default: break;
        }
        // The handler decides the position; the bar's own move is undone first.
        const int position = m_spin->sliderPosition();
        {
            const QSignalBlocker blocker(m_spin);
            m_spin->setSliderPosition(m_spin->value());
        }
        OnFunctionSpin(code, position);
    });
    connect(m_spin, &QScrollBar::sliderReleased, this,
            [this] { OnFunctionSpin(SB_THUMBPOSITION, m_spin->sliderPosition()); });
}

bool KTFunctionDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = 1;
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    {
        const QSignalBlocker blocker(m_stylePicker);
        m_stylePicker->clear();
        m_stylePicker->FillFromTextTable(KTLineStyleTable, "");
        m_stylePicker->setCurrentIndex(-1);
    }
    SetSpinPosition(m_functionNumber);
    LoadFields();
    UpdateData(false);
    // The first paint typesets both previews, as the edits' first change notifications ask.
    m_equationPreview = 1;
    m_domainPreview = 1;
    UpdateMessage();
    return true;
}

void KTFunctionDlg::SetSpinPosition(int number)
{
    const QSignalBlocker blocker(m_spin);
    m_spin->setValue(std::clamp(FunctionCount + 1 - number, 1, FunctionCount));
}

bool KTFunctionDlg::UpdateData(bool saveAndValidate)
{
    if (!saveAndValidate) {
        const QSignalBlocker equationBlocker(m_equationEdit);
        const QSignalBlocker domainBlocker(m_domainEdit);
        const QSignalBlocker numberBlocker(m_numberEdit);
        if (CString::FromQString(m_equationEdit->text()) != m_equation) {
            m_equationEdit->setText(m_equation.ToQString());
            m_equationPreview = 1;
            m_equationFrame->update();
        }
        if (CString::FromQString(m_domainEdit->text()) != m_domain) {
            m_domainEdit->setText(m_domain.ToQString());
            m_domainPreview = 1;
            m_domainFrame->update();
        }
        for (int i = 0; i < 7; ++i) {
            const QSignalBlocker blocker(m_checks[i]);
            m_checks[i]->setChecked(m_checkValues[i] != 0);
        }
        m_numberEdit->setText(QString::number(m_functionNumber));
        DDX_ColorButton(false, *m_colorButton, m_color);
        const QSignalBlocker weightBlocker(m_weightCombo);
        m_weightCombo->setEditText(m_weight.ToQString());
        return true;
    }
    m_equation = CString::FromQString(m_equationEdit->text());
    m_domain = CString::FromQString(m_domainEdit->text());
    for (int i = 0; i < 7; ++i)
        m_checkValues[i] = m_checks[i]->isChecked() ? 1 : 0;
    ReadColor();
    m_weight = CString::FromQString(m_weightCombo->currentText());
    int number = 0;
    if (!ParseInteger(m_numberEdit->text(), number)) {
        KTMessageBox(kMessageCaption, "Please enter an integer.", MB_OK | MB_ICONWARNING);
        return false;
    }
    // A number outside 1..10 is refused before it is taken: no function outside exists.
    if (number < 1 || number > FunctionCount) {
        CString message;
        message.Format("Please enter an integer between %d and %d.", 1, FunctionCount);
        KTMessageBox(kMessageCaption, message, MB_OK | MB_ICONWARNING);
        return false;
    }
    m_functionNumber = number;
    return true;
}

void KTFunctionDlg::ReadColor()
{
    DDX_ColorButton(true, *m_colorButton, m_color);
    // A pen needs a real colour: "Automatic" is the colour the button shows for it.
    if (m_color == COLORPICK_AUTOMATIC)
        m_color = m_colorButton->GetShownColor();
}

namespace {

/// The typed text cut where interpretation cuts it: the equation is the text without the piece
/// that was filed as the domain (and the separator before it), as typed. A domain part that is no
/// whole piece (a group cut out of a piece that reads wrong) is left in the equation, so that
/// nothing typed is moved or lost.
void SplitTypedText(const KTFunction3& function, CString& equation, CString& domain)
{
    const CString& text = function.Data().m_equationText;
    const KTEquationPartList& parts = function.Parts();
    const int status = parts.GetStatus();
    equation = text;
    domain.Empty();
    if (status == KTStatusNoEquation || status == KTStatusNoEquationP ||
        parts.CountParts(KTPartExecute1) == 0 || parts.CountParts(KTPartDomain) == 0)
        return;
    CString filed = parts.FindPart(KTPartDomain, 1).SecondText();
    filed.Trim();
    if (filed.IsEmpty())
        return;
    const char separator = KTFunction3::PartSeparator();
    // The last whole piece after the first that is the domain.
    int found = -1;
    int foundEnd = -1;
    for (int start = text.Find(separator); start >= 0;) {
        const int next = text.Find(separator, start + 1);
        const int end = next < 0 ? text.GetLength() : next;
        CString piece = text.Mid(start + 1, end - start - 1);
        piece.Trim();
        if (piece == filed) {
            found = start;
            foundEnd = end;
        }
        start = next;
    }
    if (found < 0)
        return;
    equation = text.Left(found) + text.Mid(foundEnd);
    equation.TrimRight();
    domain = filed;
}

} // namespace

CString KTFunctionDlg::EquationTextWithoutDomain(const KTFunction3& function)
{
    CString equation, domain;
    SplitTypedText(function, equation, domain);
    return equation;
}

CString KTFunctionDlg::DomainText(const KTFunction3& function)
{
    CString equation, domain;
    SplitTypedText(function, equation, domain);
    return domain;
}

CString KTFunctionDlg::JoinedText(const CString& equation, const CString& domain)
{
    if (domain.GetLength() < 2)
        return equation;
    return equation + CString(KTFunction3::PartSeparator()) + " " + domain;
}

CString KTFunctionDlg::WeightText(double width)
{
    const double points = std::floor(width * PointsPerUnit + 0.5) * 0.25;
    return KTNumberFormat().Format(points, 6) + "pt";
}

bool KTFunctionDlg::ReadWeight(const CString& text, double& points)
{
    CString number;
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text.GetAt(i);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            number += CString(c);
    }
    number.Trim();
    KTNumberText reader;
    reader.m_bErrorValue = true;
    const double value = reader.ToDouble(number);
    // The reader's undefined value would make a pen of thousands of kilometres.
    if (!std::isfinite(value) || value < 0.0 || value == KTUndefinedValue || value > 1.0e6)
        return false;
    points = value;
    return true;
}

void KTFunctionDlg::LoadFields()
{
    if (m_functionNumber < 1 || m_functionNumber > FunctionCount)
        return;
    const KTFunction3& function = m_data.Function(m_functionNumber - 1);
    const KTFunctionData3& data = function.Data();
    SplitTypedText(function, m_equation, m_domain);
    m_loadedEquation = m_equation;
    m_loadedDomain = m_domain;
    const int status = function.Status();
    m_domainEdit->setEnabled(!(status == KTStatusNoEquation || status == KTStatusNoEquationP));

    const KTOptionFunction3& options = data.m_options;
    m_checkValues[0] = options.m_vAsym.m_value ? 1 : 0;
    m_checkValues[1] = options.m_hAsym.m_value ? 1 : 0;
    m_checkValues[2] = options.m_showFunctionArrows.m_value ? 1 : 0;
    m_checkValues[3] = options.m_showLow.m_value ? 1 : 0;
    m_checkValues[4] = options.m_showHigh.m_value ? 1 : 0;
    m_checkValues[5] = data.m_showFirstDerivative ? 1 : 0;
    m_checkValues[6] = data.m_showSecondDerivative ? 1 : 0;

    const KTLogPen& pen = options.m_pen.m_value;
    m_color = pen.m_color;
    m_colorButton->SetDefaultColor(options.m_pen.GetDefault().m_color);
    m_weight = WeightText(pen.m_width);
    m_style = pen.StyleNumber();
    const QSignalBlocker blocker(m_stylePicker);
    m_stylePicker->SelectItemData(m_style);
}

void KTFunctionDlg::ApplyFields()
{
    if (m_functionNumber < 1 || m_functionNumber > FunctionCount)
        return;
    KTFunction3& function = m_data.Function(m_functionNumber - 1);
    KTFunctionData3& data = function.Data();
    // Fields left as they were loaded keep the stored text byte for byte: a file made under
    // another locale is not rewritten by a dialog that was only confirmed.
    if (m_equation != m_loadedEquation || m_domain != m_loadedDomain)
        data.m_equationText = JoinedText(m_equation, m_domain);
    function.Interpret();
    ShowInterpretMessages(function);

    KTOptionFunction3& options = data.m_options;
    options.m_vAsym.m_value = m_checkValues[0] ? 1 : 0;
    options.m_hAsym.m_value = m_checkValues[1] ? 1 : 0;
    options.m_showFunctionArrows.m_value = m_checkValues[2] ? 1 : 0;
    options.m_showLow.m_value = m_checkValues[3] ? 1 : 0;
    options.m_showHigh.m_value = m_checkValues[4] ? 1 : 0;
    data.m_showFirstDerivative = m_checkValues[5] ? 1 : 0;
    data.m_showSecondDerivative = m_checkValues[6] ? 1 : 0;

    m_style = m_stylePicker->GetSelectedData();
    KTLogPen& pen = options.m_pen.m_value;
    double points = pen.m_width / KTLogPen::kUnitsPerPoint;
    ReadWeight(m_weight, points);
    pen.Set(points, m_style, m_color);
    m_data.m_dirty = KTGraphData3::Dirty;
}

void KTFunctionDlg::ShowInterpretMessages(KTFunction3& function)
{
    for (const KTInputMessage& message : function.TakePendingMessages())
        KTMessageBox(message.caption, message.text, MB_OK | MB_ICONWARNING);
}

void KTFunctionDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    ApplyFields();
    // The framework's own exchange and validation before it closes.
    if (!UpdateData(true))
        return;
    accept();
}

void KTFunctionDlg::OnDelete()
{
    m_equation.Empty();
    m_domain.Empty();
    UpdateData(false);
    ApplyFields();
    UpdateMessage();
}

void KTFunctionDlg::OnSetAsDefault()
{
    m_style = m_stylePicker->GetSelectedData();
    if (!m_defaults || !UpdateData(true))
        return;
    KTOptionGraph3& defaults = *m_defaults;
    KTLogPen& pen = defaults.m_functions[static_cast<std::size_t>(m_functionNumber - 1)].m_pen.m_value;
    double points = pen.m_width / KTLogPen::kUnitsPerPoint;
    ReadWeight(m_weight, points);
    pen.Set(points, m_style, m_color);
    for (int i = 0; i < FunctionCount; ++i) {
        for (KTOptionFunction3* options :
             {&m_data.Function(i).Data().m_options, &defaults.m_functions[static_cast<std::size_t>(i)]}) {
            options->m_vAsym.m_value = m_checkValues[0] ? 1 : 0;
            options->m_hAsym.m_value = m_checkValues[1] ? 1 : 0;
            options->m_showFunctionArrows.m_value = m_checkValues[2] ? 1 : 0;
            options->m_showLow.m_value = m_checkValues[3] ? 1 : 0;
            options->m_showHigh.m_value = m_checkValues[4] ? 1 : 0;
        }
    }
    defaults.m_annotation.m_bDefaultsChanged = 1;
}

void KTFunctionDlg::OnEquationChange()
{
    m_equationPreview = 1;
    m_equationFrame->update();
    UpdateMessage();
}

void KTFunctionDlg::OnDomainChange()
{
    m_domainPreview = 1;
    m_domainFrame->update();
    UpdateMessage();
}

void KTFunctionDlg::UpdateMessage()
{
    // The two edits read as the graph will read the function: what cannot be drawn says why
    // here, while it is typed; the boxes wait for OK.
    if (m_functionNumber < 1 || m_functionNumber > FunctionCount)
        return;
    const CString text =
        JoinedText(CString::FromQString(m_equationEdit->text()), CString::FromQString(m_domainEdit->text()));
    KTAxes* owner = m_data.Function(m_functionNumber - 1).Data().m_owner;
    m_messageLabel->setText(KTFunction3::InterpretationMessage(text, owner).ToQString());
}

void KTFunctionDlg::SwitchFunction(int oldNumber, int newNumber)
{
    m_functionNumber = oldNumber;
    ApplyFields();
    m_functionNumber = newNumber;
    SetSpinPosition(newNumber);
    LoadFields();
    UpdateData(false);
    m_equationPreview = 1;
    m_domainPreview = 1;
    m_equationFrame->update();
    m_domainFrame->update();
    UpdateMessage();
}

void KTFunctionDlg::OnNumberChange()
{
    const int oldNumber = m_functionNumber;
    // A number that is not an integer within 1..10 leaves the function in force.
    if (!UpdateData(true))
        return;
    SwitchFunction(oldNumber, m_functionNumber);
}

void KTFunctionDlg::OnFunctionSpin(int code, int position)
{
    int moved = m_spin->value();
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: moved -= 1; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: moved += 1; break;
    case SB_THUMBPOSITION: moved = position; break;
    default: return;
    }
    moved = std::clamp(moved, 1, FunctionCount);
    const int oldNumber = m_functionNumber;
    if (!UpdateData(true))
        return;
    SwitchFunction(oldNumber, FunctionCount + 1 - moved);
}

bool KTFunctionDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && (watched == m_equationFrame || watched == m_domainFrame)) {
        const bool equation = watched == m_equationFrame;
        PaintGuarded(static_cast<QWidget*>(watched),
                     [this, equation](QPainter& painter) { PaintPreview(painter, equation); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void KTFunctionDlg::PaintPreview(QPainter& painter, bool equation)
{
    // Only the two texts are read here: a message box may not come from a paint.
    if (equation && m_equationPreview) {
        m_equation = CString::FromQString(m_equationEdit->text());
        m_equationPreviewText = m_equation;
        m_equationPreview = 0;
    } else if (!equation && m_domainPreview) {
        m_domain = CString::FromQString(m_domainEdit->text());
        m_domainPreviewText = m_domain;
        m_domainPreview = 0;
    }
    KTPaintTypesetPreview(painter, equation ? m_equationPreviewText : m_domainPreviewText);
}
