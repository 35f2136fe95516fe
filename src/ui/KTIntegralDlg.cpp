#include "ui/KTIntegralDlg.h"
#include "ui/KTNamedWidgets.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogBrush.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTOptionIntegral.h"
#include "typeset/KTEEquation.h"
#include "ui/CColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

void SetEditText(QLineEdit* edit, const CString& text)
{
    const QSignalBlocker blocker(edit);
    edit->setText(text.ToQString());
}

void SelectItem(QComboBox* list, int index)
{
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(index < list->count() ? index : -1);
}

} // namespace

KTIntegralDlg::KTIntegralDlg(QWidget* parent) : KTDialog(parent)
{
    m_firstMap.fill(-1);
    m_secondMap.fill(-1);
    m_secondMap[0] = XAxis;
    m_secondMap[1] = YAxis;
    setObjectName(Q("KTIntegralDlg"));
    setWindowTitle(Q("Calculate Integral"));
    CreateControls();
}

KTIntegralDlg::~KTIntegralDlg() = default;

void KTIntegralDlg::CreateControls()
{
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };
    auto makeLabel = [this](const char* text) {
        auto* label = new QLabel(Q(text), this);
        label->setAlignment(Qt::AlignCenter);
        return label;
    };

    m_firstList = new QComboBox(this);
    m_firstList->setObjectName(Q("firstList"));
    m_firstList->setMinimumWidth(140);
    m_secondList = new QComboBox(this);
    m_secondList->setObjectName(Q("secondList"));
    m_secondList->setMinimumWidth(140);
    m_lowerEdit = new QLineEdit(this);
    m_lowerEdit->setObjectName(Q("lowerEdit"));
    m_upperEdit = new QLineEdit(this);
    m_upperEdit->setObjectName(Q("upperEdit"));
    m_showAreaCheck = new QCheckBox(Q("Show Area if Different"), this);
    m_showAreaCheck->setObjectName(Q("showAreaCheck"));
    m_deleteButton = makeButton("Delete", "deleteButton");
    m_shadeButton = new CColorButton(this);
    m_shadeButton->setObjectName(Q("shadeButton"));
    m_shadeButton->setText(Q("Shade"));
    m_shadeButton->setToolTip(Q("Shade"));
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(false);
    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    // The swap symbol of both exchange buttons.
    m_swapFunctionsButton = makeButton("", "swapFunctionsButton");
    m_swapFunctionsButton->setText(QString::fromUtf8("\u21C4"));
    m_swapFunctionsButton->setFixedSize(24, 22);
    m_swapBoundsButton = makeButton("", "swapBoundsButton");
    m_swapBoundsButton->setText(QString::fromUtf8("\u21C4"));
    m_swapBoundsButton->setFixedSize(24, 22);
    m_preview = new QFrame(this);
    m_preview->setObjectName(Q("previewFrame"));
    m_preview->setFrameShape(QFrame::NoFrame);
    m_preview->setMinimumSize(360, 75);
    m_preview->installEventFilter(this);
    m_messageLabel = KTNamedMessageLabel(this, "messageLabel");

    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel("Calculate the integral between"), 0, 0, 1, 3);
    grid->addWidget(m_firstList, 1, 0);
    grid->addWidget(makeLabel("and"), 1, 1);
    grid->addWidget(m_secondList, 1, 2);
    grid->addWidget(m_swapFunctionsButton, 1, 3);
    grid->addWidget(makeLabel("from"), 2, 0, 1, 3);
    grid->addWidget(m_lowerEdit, 3, 0);
    grid->addWidget(makeLabel("to"), 3, 1);
    grid->addWidget(m_upperEdit, 3, 2);
    grid->addWidget(m_swapBoundsButton, 3, 3);
    grid->addWidget(m_preview, 4, 0, 1, 4);
    grid->addWidget(m_messageLabel, 5, 0, 1, 4);
    grid->addWidget(m_showAreaCheck, 6, 0, 1, 3);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(m_shadeButton);
    buttons->addSpacing(16);
    buttons->addWidget(m_setAsDefaultButton);
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    QWidget* order[] = {m_firstList,     m_secondList,   m_lowerEdit,           m_upperEdit,
                        m_showAreaCheck, m_deleteButton, m_shadeButton,         m_setAsDefaultButton,
                        m_okButton,      m_cancelButton, m_swapFunctionsButton, m_swapBoundsButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_lowerEdit, &QLineEdit::textChanged, this, &KTIntegralDlg::OnBoundChanged);
    connect(m_upperEdit, &QLineEdit::textChanged, this, &KTIntegralDlg::OnBoundChanged);
    connect(m_firstList, &QComboBox::currentIndexChanged, this, &KTIntegralDlg::OnFirstChanged);
    connect(m_secondList, &QComboBox::currentIndexChanged, this, &KTIntegralDlg::OnSecondChanged);
    connect(m_deleteButton, &QPushButton::clicked, this, &KTIntegralDlg::OnDelete);
    connect(m_swapFunctionsButton, &QPushButton::clicked, this, &KTIntegralDlg::OnSwapFunctions);
    connect(m_swapBoundsButton, &QPushButton::clicked, this, &KTIntegralDlg::OnSwapBounds);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTIntegralDlg::OnSetAsDefault);
    connect(m_okButton, &QPushButton::clicked, this, &KTIntegralDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool KTIntegralDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = true;
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    {
        const QSignalBlocker blocker(m_secondList);
        m_secondList->addItem(Q("x Axis"));
        m_secondList->addItem(Q("y Axis"));
    }

    KTIntegralFunction record = m_defaults ? KTIntegralFunction(*m_defaults) : KTIntegralFunction();
    if (m_graph) {
        const KTIntegralList& integrals = m_graph->Data().m_integrals;
        const int selected = integrals.m_selectedIndex;
        if (selected >= 0 && selected < integrals.GetCount())
            record = integrals.GetAt(selected);
    }

    int firstItem = -1;
    int secondItem = -1;
    if (m_graph) {
        int listed = 0;
        // Room for the ten user functions behind the two axis entries.
        for (int slot = 0; slot < 10 && listed + 2 < MapSize; ++slot) {
            const KTFunction3& function = m_graph->Data().Function(slot);
            const KTEquationPartList& parts = function.Parts();
            if (function.Status() != KTStatusExplicit || parts.m_polar || parts.m_inverse ||
                function.Data().m_expressionText.IsEmpty())
                continue;
            const CString text = function.TypedEquation();
            {
                const QSignalBlocker first(m_firstList);
                const QSignalBlocker second(m_secondList);
                m_firstList->addItem(text.ToQString());
                m_secondList->addItem(text.ToQString());
            }
            m_firstMap[static_cast<std::size_t>(listed)] = slot;
            m_secondMap[static_cast<std::size_t>(listed + 2)] = slot;
            if (slot == record.m_first) {
                firstItem = listed;
                m_first = slot;
            }
            if (slot == record.m_second) {
                secondItem = listed + 2;
                m_second = slot;
            }
            ++listed;
        }
    }

    m_lowerText = record.m_lowerText;
    m_upperText = record.m_upperText;
    m_colour = record.m_colour;
    m_showArea = record.m_showArea ? 1 : 0;

    if (m_first == -1) {
        SelectItem(m_firstList, 0);
        m_first = m_firstMap[0];
    } else {
        SelectItem(m_firstList, firstItem);
    }
    if (secondItem < 0) {
        m_second = record.m_yAxis ? YAxis : XAxis;
        SelectItem(m_secondList, record.m_yAxis ? 1 : 0);
    } else {
        SelectItem(m_secondList, secondItem);
    }
    m_swapFunctionsButton->setEnabled(m_secondList->currentIndex() > 1);
    m_firstText = CString::FromQString(m_firstList->currentText());
    m_secondText = CString::FromQString(m_secondList->currentText());
    UpdateData(false);
    return true;
}

void KTIntegralDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_firstText = CString::FromQString(m_firstList->currentText());
        m_upperText = CString::FromQString(m_upperEdit->text());
        m_lowerText = CString::FromQString(m_lowerEdit->text());
        m_secondText = CString::FromQString(m_secondList->currentText());
        DDX_ColorButton(true, *m_shadeButton, m_colour);
        m_showArea = m_showAreaCheck->isChecked() ? 1 : 0;
        return;
    }
    SetEditText(m_upperEdit, m_upperText);
    SetEditText(m_lowerEdit, m_lowerText);
    DDX_ColorButton(false, *m_shadeButton, m_colour);
    const QSignalBlocker blocker(m_showAreaCheck);
    m_showAreaCheck->setChecked(m_showArea != 0);
}

int KTIntegralDlg::MapAt(const std::array<int, MapSize>& map, int index) const
{
    if (index < 0 || index >= MapSize)
        return -1;
    return map[static_cast<std::size_t>(index)];
}

void KTIntegralDlg::OnBoundChanged()
{
    m_messageLabel->clear();
    m_preview->update();
}

void KTIntegralDlg::OnOK()
{
    UpdateData(true);
    // A bound is a constant expression; one that is not would be integrated from nowhere.
    KTAxes* axes = m_graph ? &m_graph->Axes() : nullptr;
    const struct
    {
        const CString& text;
        QLineEdit* edit;
        const char* message;
    } bounds[] = {{m_lowerText, m_lowerEdit, "The lower bound is not a number"},
                  {m_upperText, m_upperEdit, "The upper bound is not a number"}};
    for (const auto& bound : bounds) {
        if (KTFunction3::EvaluateConstantText(bound.text, axes, nullptr) == KTUndefinedValue) {
            m_messageLabel->setText(QString::fromLatin1(bound.message));
            bound.edit->setFocus();
            bound.edit->selectAll();
            return;
        }
    }
    accept();
}

void KTIntegralDlg::OnFirstChanged()
{
    m_first = MapAt(m_firstMap, m_firstList->currentIndex());
    m_preview->update();
}

void KTIntegralDlg::OnSecondChanged()
{
    const int item = m_secondList->currentIndex();
    // An empty list has no item to map; keep the x axis then.
    m_second = item < 0 ? XAxis : MapAt(m_secondMap, item);
    m_swapFunctionsButton->setEnabled(item > 1);
    m_preview->update();
}

void KTIntegralDlg::OnDelete()
{
    m_first = -1;
    m_second = -1;
    UpdateData(true);
    accept();
}

void KTIntegralDlg::OnSwapFunctions()
{
    const int a = m_firstList->currentIndex();
    const int b = m_secondList->currentIndex();
    // Only a function on both sides can change places.
    if (a < 0 || b < 2)
        return;
    SelectItem(m_firstList, b - 2);
    SelectItem(m_secondList, a + 2);
    m_first = MapAt(m_firstMap, m_firstList->currentIndex());
    m_second = MapAt(m_secondMap, m_secondList->currentIndex());
    m_preview->update();
}

void KTIntegralDlg::OnSwapBounds()
{
    const QString lower = m_lowerEdit->text();
    const QString upper = m_upperEdit->text();
    const QSignalBlocker lowerBlocker(m_lowerEdit);
    const QSignalBlocker upperBlocker(m_upperEdit);
    m_lowerEdit->setText(upper);
    m_upperEdit->setText(lower);
    m_preview->update();
}

void KTIntegralDlg::OnSetAsDefault()
{
    if (!m_defaults)
        return;
    UpdateData(true);
    m_defaults->m_brush.m_value = KTLogBrush(KTBrushKindNumber, 1, m_colour, 0);
    m_defaults->m_showArea.m_value = m_showArea != 0;
    m_defaults->m_modified = 1;
}

CString KTIntegralDlg::FunctionOfText(const CString& text)
{
    CString result = text;
    result.Remove(' ');
    int equals = -1;
    if (result.Left(2) == "y=")
        equals = 1;
    else if (result.Left(5) == "f(x)=")
        equals = 4;
    if (equals >= 0) {
        result = result.Mid(equals + 1);
        result.TrimLeft();
    }
    return result;
}

CString KTIntegralDlg::BuildPreviewText(const CString& firstText, const CString& secondText,
                                        const CString& lower, const CString& upper)
{
    // The bounds are shown as they are read: a power of ten as one.
    CString text = "int(" + WritePowersOfTen(lower) + "," + WritePowersOfTen(upper) + ") " +
                   KTEEquation::AsOperand(FunctionOfText(firstText));
    const bool xAxis = secondText == "x Axis";
    const bool yAxis = secondText == "y Axis";
    if (!xAxis && !yAxis)
        text += "- [" + FunctionOfText(secondText) + "]";
    text += " dx";
    if (yAxis)
        text += " (y Axis)";
    return text;
}

bool KTIntegralDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == m_preview) {
        PaintGuarded(m_preview, [this](QPainter& painter) { PaintPreview(painter); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void KTIntegralDlg::PaintPreview(QPainter& painter)
{
    m_previewText = BuildPreviewText(
        CString::FromQString(m_firstList->currentText()), CString::FromQString(m_secondList->currentText()),
        CString::FromQString(m_lowerEdit->text()), CString::FromQString(m_upperEdit->text()));
    KTPaintTypesetPreview(painter, m_previewText);
}
