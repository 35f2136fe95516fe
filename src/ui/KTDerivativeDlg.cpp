#include "ui/KTDerivativeDlg.h"
#include "ui/KTNamedWidgets.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGraph3.h"
#include "graph/KTOptionDerivative.h"
#include "typeset/KTEEquation.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTWeightTexts.h"

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
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

KTDerivativeDlg::KTDerivativeDlg(QWidget* parent) : KTDialog(parent)
{
    m_map.fill(-1);
    setObjectName(Q("KTDerivativeDlg"));
    setWindowTitle(Q("Tangent Line"));
    CreateControls();
}

KTDerivativeDlg::~KTDerivativeDlg() = default;

void KTDerivativeDlg::CreateControls()
{
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };

    m_functionList = new QComboBox(this);
    m_functionList->setObjectName(Q("functionList"));
    m_functionList->setMinimumWidth(160);
    m_xEdit = new QLineEdit(this);
    m_xEdit->setObjectName(Q("xEdit"));

    auto* lineGroup = new QGroupBox(Q("Tangent Line"), this);
    lineGroup->setObjectName(Q("tangentLineGroup"));
    m_stylePicker = new KTLineStyleComboBox(lineGroup);
    m_stylePicker->setObjectName(Q("stylePicker"));
    m_weightCombo = new QComboBox(lineGroup);
    m_weightCombo->setObjectName(Q("weightCombo"));
    m_weightCombo->setEditable(true);
    for (const char* weight : KTWeightTexts)
        m_weightCombo->addItem(Q(weight));
    m_colourButton = new CColorButton(lineGroup);
    m_colourButton->setObjectName(Q("colourButton"));
    auto* lineLayout = new QGridLayout(lineGroup);
    lineLayout->addWidget(new QLabel(Q("Style"), lineGroup), 0, 0);
    lineLayout->addWidget(m_stylePicker, 0, 1);
    lineLayout->addWidget(new QLabel(Q("Weight"), lineGroup), 1, 0);
    lineLayout->addWidget(m_weightCombo, 1, 1);
    lineLayout->addWidget(m_colourButton, 2, 1);

    m_preview = new QFrame(this);
    m_preview->setObjectName(Q("previewFrame"));
    m_preview->setFrameShape(QFrame::NoFrame);
    m_preview->setMinimumSize(300, 60);
    m_preview->installEventFilter(this);
    m_messageLabel = KTNamedMessageLabel(this, "messageLabel");

    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    m_deleteButton = makeButton("Delete", "deleteButton");
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(false);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(Q("Show the Tangent Line of"), this), 0, 0);
    fields->addWidget(m_functionList, 0, 1);
    fields->addWidget(new QLabel(Q("at"), this), 1, 0);
    fields->addWidget(m_xEdit, 1, 1);
    fields->addWidget(lineGroup, 2, 0, 1, 2);
    fields->addWidget(m_preview, 3, 0, 1, 2);
    fields->addWidget(m_messageLabel, 4, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addSpacing(16);
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(m_setAsDefaultButton);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    QWidget* order[] = {m_functionList, m_xEdit,        m_stylePicker,  m_weightCombo,       m_colourButton,
                        m_okButton,     m_cancelButton, m_deleteButton, m_setAsDefaultButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_functionList, &QComboBox::currentIndexChanged, this, &KTDerivativeDlg::OnFunctionChanged);
    connect(m_xEdit, &QLineEdit::textChanged, this, &KTDerivativeDlg::OnXChanged);
    connect(m_stylePicker, &QComboBox::currentIndexChanged, this, &KTDerivativeDlg::OnStyleChanged);
    connect(m_okButton, &QPushButton::clicked, this, &KTDerivativeDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_deleteButton, &QPushButton::clicked, this, &KTDerivativeDlg::OnDelete);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTDerivativeDlg::OnSetAsDefault);
}

bool KTDerivativeDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = true;
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    {
        const QSignalBlocker blocker(m_stylePicker);
        m_stylePicker->FillFromTextTable(KTLineStyleTable, CString());
        m_stylePicker->SelectItemData(m_style);
    }
    m_weightCombo->setEnabled(m_stylePicker->GetSelectedData() == KTLineStyleSolid);

    KTDerivativeFunction tangent = m_defaults ? KTDerivativeFunction(*m_defaults) : KTDerivativeFunction();
    if (m_graph) {
        const KTDerivativeList& tangents = m_graph->Data().m_derivatives;
        const int selected = tangents.m_selectedIndex;
        if (selected >= 0 && selected < tangents.GetCount())
            tangent = tangents.GetAt(selected);
    }

    int selectedItem = -1;
    if (m_graph) {
        int listed = 0;
        for (int slot = 0; slot < MapSize; ++slot) {
            const KTFunction3& function = m_graph->Data().Function(slot);
            const KTEquationPartList& parts = function.Parts();
            const bool parametric = parts.m_parametricX || parts.m_parametricY;
            if (function.Status() != KTStatusExplicit || parametric || parts.m_polar ||
                function.Data().m_expressionText.IsEmpty())
                continue;
            const CString text = function.TypedEquation();
            {
                const QSignalBlocker blocker(m_functionList);
                m_functionList->addItem(text.ToQString());
            }
            m_map[static_cast<std::size_t>(listed)] = slot;
            if (slot == tangent.m_function) {
                selectedItem = listed;
                m_function = slot;
            }
            ++listed;
        }
    }
    m_xText = tangent.m_xText;

    const QSignalBlocker blocker(m_functionList);
    if (m_function == -1) {
        m_functionList->setCurrentIndex(m_functionList->count() > 0 ? 0 : -1);
        m_function = m_map[0];
    } else {
        m_functionList->setCurrentIndex(selectedItem);
    }
    UpdateData(false);
    return true;
}

void KTDerivativeDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_functionText = CString::FromQString(m_functionList->currentText());
        m_xText = CString::FromQString(m_xEdit->text());
        DDX_ColorButton(true, *m_colourButton, m_colour);
        m_weightText = CString::FromQString(m_weightCombo->currentText());
        return;
    }
    {
        const QSignalBlocker blocker(m_xEdit);
        m_xEdit->setText(m_xText.ToQString());
    }
    DDX_ColorButton(false, *m_colourButton, m_colour);
    const QSignalBlocker blocker(m_weightCombo);
    m_weightCombo->setEditText(m_weightText.ToQString());
}

void KTDerivativeDlg::OnFunctionChanged()
{
    const int item = m_functionList->currentIndex();
    m_function = item >= 0 && item < MapSize ? m_map[static_cast<std::size_t>(item)] : -1;
    m_preview->update();
}

void KTDerivativeDlg::OnXChanged()
{
    m_messageLabel->clear();
    m_preview->update();
}

void KTDerivativeDlg::OnStyleChanged()
{
    m_weightCombo->setEnabled(m_stylePicker->GetSelectedData() == KTLineStyleSolid);
}

void KTDerivativeDlg::OnOK()
{
    m_style = m_stylePicker->GetSelectedData();
    UpdateData(true);
    // The x is a constant expression; one that is not would put the tangent nowhere. "Delete"
    // needs no x.
    KTAxes* axes = m_graph ? &m_graph->Axes() : nullptr;
    if (m_function >= 0 && KTFunction3::EvaluateConstantText(m_xText, axes, nullptr) == KTUndefinedValue) {
        m_messageLabel->setText(QString::fromLatin1("The x value is not a number"));
        m_xEdit->setFocus();
        m_xEdit->selectAll();
        return;
    }
    accept();
}

void KTDerivativeDlg::OnDelete()
{
    m_function = -1;
    OnOK();
}

void KTDerivativeDlg::OnSetAsDefault()
{
    if (!m_defaults)
        return;
    m_style = m_stylePicker->GetSelectedData();
    UpdateData(true);
    KTLogPen pen;
    pen.Set(ReadWeight(m_weightText), m_style, m_colour);
    m_defaults->m_pen.m_value = pen;
    m_defaults->m_modified = 1;
}

double KTDerivativeDlg::ReadWeight(const CString& weightText)
{
    std::string digits;
    for (const char ch : weightText.str())
        if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')))
            digits += ch;
    const double points = KTNumberText().ToDouble(CString(digits.c_str()));
    // A weight that is no number would make a pen no device can draw.
    if (!std::isfinite(points) || points < 0.0 || points >= 1.0e6)
        return 0.0;
    return points;
}

CString KTDerivativeDlg::BuildPreviewText(const CString& functionText, const CString& xText)
{
    // The x is shown as it is read: a power of ten as one.
    return "d/dx " + KTEEquation::AsOperand(KTFunction3::TypedRightHandSide(functionText)) +
           " at x = " + WritePowersOfTen(xText);
}

bool KTDerivativeDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == m_preview) {
        PaintGuarded(m_preview, [this](QPainter& painter) { PaintPreview(painter); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void KTDerivativeDlg::PaintPreview(QPainter& painter)
{
    m_previewText = BuildPreviewText(CString::FromQString(m_functionList->currentText()),
                                     CString::FromQString(m_xEdit->text()));
    KTPaintTypesetPreview(painter, m_previewText);
}
