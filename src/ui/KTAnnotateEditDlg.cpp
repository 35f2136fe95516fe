#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTNamedWidgets.h"

#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"
#include "ui/CColorButton.h"
#include "ui/KTFontCombo.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTWeightTexts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

const KTStyleTableEntry KTAnnotationAnchorStyles[] = {
    {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};
const KTStyleTableEntry KTAnnotationBorderStyles[] = {
    {"None", 12}, {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

/// Room between two "Equation" ticks, pixels.
constexpr int kTickGap = 5;

const char* const kSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                              "20", "22", "24", "26", "28", "36", "48", "72"};

/// The edit control's text as the program keeps it: "\r\n" line breaks.
CString FromEditText(const QString& text)
{
    CString result = CString::FromQString(text);
    result.Replace("\n", "\r\n");
    return result;
}

QString ToEditText(const CString& text)
{
    CString plain = text;
    plain.Replace("\r\n", "\n");
    return plain.ToQString();
}

int CheckedIndex(const std::array<QRadioButton*, 4>& radios, int count)
{
    for (int i = 0; i < count; ++i)
        if (radios[static_cast<std::size_t>(i)]->isChecked())
            return i;
    return -1;
}

void SetComboText(QComboBox* combo, const CString& text)
{
    const QSignalBlocker blocker(combo);
    combo->setEditText(text.ToQString());
}

} // namespace

void KTAnnotateEditDlg::InstallAsEditor()
{
    KTGAnnotationList::SetEditHook([](KTAnnotationEditFields& fields, KTOptionsAnnotation& defaults) {
        KTAnnotateEditDlg dialog(&defaults, QApplication::activeWindow());
        dialog.m_fields = fields;
        if (dialog.DoModal() != QDialog::Accepted)
            return false;
        fields = dialog.m_fields;
        return true;
    });
}

KTAnnotateEditDlg::KTAnnotateEditDlg(KTOptionsAnnotation* defaults, QWidget* parent)
    : KTDialog(parent), m_defaults(defaults)
{
    setObjectName(Q("KTAnnotateEditDlg"));
    setWindowTitle(Q("Edit Annotation"));
    CreateControls();
}

KTAnnotateEditDlg::~KTAnnotateEditDlg() = default;

void KTAnnotateEditDlg::CreateControls()
{
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };
    auto makeWeightCombo = [](QWidget* parent, const char* name) {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(Q(name));
        combo->setEditable(true);
        for (const char* weight : KTWeightTexts)
            combo->addItem(Q(weight));
        return combo;
    };
    auto makeColourButton = [](QWidget* parent, const char* name) {
        auto* button = new CColorButton(parent);
        button->setObjectName(Q(name));
        return button;
    };

    // The text, one row per line, with the rows' "Equation" ticks beside it.
    m_textEdit = new QTextEdit(this);
    m_textEdit->setObjectName(Q("textEdit"));
    m_textEdit->setAcceptRichText(false);
    m_textEdit->setLineWrapMode(QTextEdit::NoWrap);
    m_textEdit->setTabChangesFocus(true);
    auto* equationLabel = new QLabel(Q("Equation"), this);
    // The ticks are placed on their rows of the edit by PlaceEquationChecks, not by a layout.
    m_tickColumn = new QWidget(this);
    m_tickColumn->setObjectName(Q("equationColumn"));
    for (int row = 0; row < LineCount; ++row) {
        auto* check = new QCheckBox(m_tickColumn);
        check->setObjectName(QStringLiteral("equationCheck%1").arg(row));
        check->setToolTip(QStringLiteral("Line %1 is an equation").arg(row + 1));
        check->setAccessibleName(QStringLiteral("Line %1 is an equation").arg(row + 1));
        check->resize(check->sizeHint());
        m_equationChecks[static_cast<std::size_t>(row)] = check;
    }
    // The rows are as far apart as the ticks need to stand clear of each other.
    const int lineSpacing = m_textEdit->fontMetrics().lineSpacing();
    m_rowPitch = std::max(lineSpacing, m_equationChecks[0]->height() + kTickGap);
    connect(m_textEdit, &QTextEdit::textChanged, this, &KTAnnotateEditDlg::SpaceRows);
    // Rows typed past the tenth scroll the edit: the ticks move with their rows.
    connect(m_textEdit->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &KTAnnotateEditDlg::PlaceEquationChecks);
    SpaceRows();
    // Ten rows show without scrolling: the rows, the document's margins and the frame.
    const int around =
        2 * (m_textEdit->frameWidth() + static_cast<int>(m_textEdit->document()->documentMargin()));
    m_textEdit->setMinimumSize(300, m_rowPitch * LineCount + around + 2);
    m_tickColumn->setMinimumWidth(std::max(m_equationChecks[0]->width(), equationLabel->sizeHint().width()));
    auto* ticks = new QVBoxLayout;
    ticks->setSpacing(0);
    ticks->addWidget(equationLabel);
    ticks->addWidget(m_tickColumn, 1);
    auto* textRow = new QHBoxLayout;
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    textColumn->addSpacing(equationLabel->sizeHint().height());
    textColumn->addWidget(m_textEdit, 1);
    m_textEdit->installEventFilter(this);
    m_tickColumn->installEventFilter(this);
    textRow->addLayout(textColumn, 1);
    textRow->addLayout(ticks);

    auto* anchorGroup = new QGroupBox(Q("Anchor Type"), this);
    anchorGroup->setObjectName(Q("anchorTypeGroup"));
    auto* anchorLayout = new QHBoxLayout(anchorGroup);
    const char* anchorNames[] = {"None", "Arrow", "Point", "Line"};
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(Q(anchorNames[i]), anchorGroup);
        radio->setObjectName(QStringLiteral("anchorRadio%1").arg(i));
        m_anchorRadios[static_cast<std::size_t>(i)] = radio;
        anchorLayout->addWidget(radio);
    }

    auto* fontGroup = new QGroupBox(Q("Font"), this);
    fontGroup->setObjectName(Q("fontGroup"));
    m_fontCombo = new KTFontCombo(fontGroup);
    m_fontCombo->setObjectName(Q("fontCombo"));
    m_sizeCombo = new QComboBox(fontGroup);
    m_sizeCombo->setObjectName(Q("sizeCombo"));
    m_sizeCombo->setEditable(true);
    for (const char* size : kSizes)
        m_sizeCombo->addItem(Q(size));
    m_fontColourButton = makeColourButton(fontGroup, "fontColourButton");
    auto* fontLayout = new QHBoxLayout(fontGroup);
    fontLayout->addWidget(m_fontCombo, 1);
    fontLayout->addWidget(m_sizeCombo);
    fontLayout->addWidget(m_fontColourButton);

    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    m_moreLessButton = makeButton("More >>", "moreLessButton");
    m_lessCaption = new QLabel(Q("<< Less"), this);
    m_lessCaption->setObjectName(Q("lessCaption"));
    auto* buttons = new QVBoxLayout;
    for (QWidget* button : {m_okButton, m_cancelButton, m_setAsDefaultButton, m_moreLessButton})
        buttons->addWidget(button);
    buttons->addWidget(m_lessCaption);
    buttons->addStretch(1);

    auto* upperLeft = new QVBoxLayout;
    upperLeft->addLayout(textRow, 1);
    upperLeft->addWidget(anchorGroup);
    upperLeft->addWidget(fontGroup);
    auto* upper = new QHBoxLayout;
    upper->addLayout(upperLeft, 1);
    upper->addLayout(buttons);

    m_collapseMarker = new QLabel(Q("Collapse"), this);
    m_collapseMarker->setObjectName(Q("collapseMarker"));
    m_collapseMarker->setFixedHeight(4);
    auto* separator = new QFrame(this);
    separator->setObjectName(Q("separator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    // The lower part: anchor line, justification, border and shading.
    auto* anchorLineGroup = new QGroupBox(Q("Anchor Line"), this);
    anchorLineGroup->setObjectName(Q("anchorLineGroup"));
    m_anchorStylePicker = new KTLineStyleComboBox(anchorLineGroup);
    m_anchorStylePicker->setObjectName(Q("anchorStylePicker"));
    m_anchorWeightCombo = makeWeightCombo(anchorLineGroup, "anchorWeightCombo");
    m_anchorColourButton = makeColourButton(anchorLineGroup, "anchorColourButton");
    auto* anchorLineLayout = new QGridLayout(anchorLineGroup);
    anchorLineLayout->addWidget(new QLabel(Q("Style"), anchorLineGroup), 0, 0);
    anchorLineLayout->addWidget(m_anchorStylePicker, 0, 1);
    anchorLineLayout->addWidget(new QLabel(Q("Weight"), anchorLineGroup), 1, 0);
    anchorLineLayout->addWidget(m_anchorWeightCombo, 1, 1);
    anchorLineLayout->addWidget(m_anchorColourButton, 2, 1);

    auto* justifyGroup = new QGroupBox(Q("Justify"), this);
    justifyGroup->setObjectName(Q("justifyGroup"));
    auto* justifyLayout = new QVBoxLayout(justifyGroup);
    const char* justifyNames[] = {"Left", "Centre", "Right"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(Q(justifyNames[i]), justifyGroup);
        radio->setObjectName(QStringLiteral("justifyRadio%1").arg(i));
        m_justifyRadios[static_cast<std::size_t>(i)] = radio;
        justifyLayout->addWidget(radio);
    }

    auto* borderGroup = new QGroupBox(Q("Border"), this);
    borderGroup->setObjectName(Q("borderGroup"));
    m_borderStylePicker = new KTLineStyleComboBox(borderGroup);
    m_borderStylePicker->setObjectName(Q("borderStylePicker"));
    m_borderWeightCombo = makeWeightCombo(borderGroup, "borderWeightCombo");
    m_borderColourButton = makeColourButton(borderGroup, "borderColourButton");
    auto* borderLayout = new QGridLayout(borderGroup);
    borderLayout->addWidget(new QLabel(Q("Style"), borderGroup), 0, 0);
    borderLayout->addWidget(m_borderStylePicker, 0, 1);
    borderLayout->addWidget(new QLabel(Q("Weight"), borderGroup), 1, 0);
    borderLayout->addWidget(m_borderWeightCombo, 1, 1);
    borderLayout->addWidget(m_borderColourButton, 2, 1);

    auto* shadingGroup = new QGroupBox(Q("Shading"), this);
    shadingGroup->setObjectName(Q("shadingGroup"));
    m_shadingColourButton = makeColourButton(shadingGroup, "shadingColourButton");
    auto* shadingLayout = new QVBoxLayout(shadingGroup);
    shadingLayout->addWidget(m_shadingColourButton);
    shadingLayout->addStretch(1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(anchorLineGroup);
    lower->addWidget(justifyGroup);
    lower->addWidget(borderGroup);
    lower->addWidget(shadingGroup);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(upper, 1);
    outer->addWidget(m_collapseMarker);
    outer->addWidget(separator);
    outer->addLayout(lower);

    std::vector<QWidget*> order{m_textEdit};
    order.insert(order.end(), m_equationChecks.begin(), m_equationChecks.end());
    order.insert(order.end(), m_anchorRadios.begin(), m_anchorRadios.end());
    for (QWidget* widget :
         {static_cast<QWidget*>(m_fontCombo), static_cast<QWidget*>(m_sizeCombo),
          static_cast<QWidget*>(m_fontColourButton), static_cast<QWidget*>(m_okButton),
          static_cast<QWidget*>(m_cancelButton), static_cast<QWidget*>(m_setAsDefaultButton),
          static_cast<QWidget*>(m_moreLessButton), static_cast<QWidget*>(m_anchorStylePicker),
          static_cast<QWidget*>(m_anchorWeightCombo), static_cast<QWidget*>(m_anchorColourButton)})
        order.push_back(widget);
    order.insert(order.end(), m_justifyRadios.begin(), m_justifyRadios.end());
    for (QWidget* widget :
         {static_cast<QWidget*>(m_borderStylePicker), static_cast<QWidget*>(m_borderWeightCombo),
          static_cast<QWidget*>(m_borderColourButton), static_cast<QWidget*>(m_shadingColourButton)})
        order.push_back(widget);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_okButton, &QPushButton::clicked, this, &KTAnnotateEditDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTAnnotateEditDlg::OnSetAsDefault);
    connect(m_moreLessButton, &QPushButton::clicked, this, &KTAnnotateEditDlg::OnMoreLess);
}

bool KTAnnotateEditDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = true;
    m_fontCombo->SetFontHeight(20, true);
    m_editText = JoinLines(m_fields.m_lines);
    UpdateData(false);
    m_expander.Init(this, m_fields.m_expanded != 0, m_moreLessButton, m_collapseMarker, m_lessCaption);
    {
        const QSignalBlocker anchor(m_anchorStylePicker);
        const QSignalBlocker border(m_borderStylePicker);
        m_anchorStylePicker->FillFromTextTable(KTAnnotationAnchorStyles, CString());
        m_borderStylePicker->FillFromTextTable(KTAnnotationBorderStyles, CString());
        m_anchorStylePicker->SelectItemData(m_fields.m_anchorStyle);
        m_borderStylePicker->SelectItemData(m_fields.m_borderStyle);
    }
    return true;
}

void KTAnnotateEditDlg::UpdateData(bool saveAndValidate)
{
    KTAnnotationEditFields& f = m_fields;
    if (saveAndValidate) {
        for (int row = 0; row < LineCount; ++row)
            f.m_equation[static_cast<std::size_t>(row)] =
                m_equationChecks[static_cast<std::size_t>(row)]->isChecked();
        f.m_anchorType = CheckedIndex(m_anchorRadios, 4);
        m_editText = FromEditText(m_textEdit->toPlainText());
        std::array<QRadioButton*, 4> justify{m_justifyRadios[0], m_justifyRadios[1], m_justifyRadios[2],
                                             nullptr};
        f.m_justify = CheckedIndex(justify, 3);
        DDX_FontCombo(true, *m_fontCombo, f.m_faceName);
        f.m_sizeText = CString::FromQString(m_sizeCombo->currentText());
        DDX_ColorButton(true, *m_fontColourButton, f.m_fontColour);
        DDX_ColorButton(true, *m_shadingColourButton, f.m_shadingColour);
        DDX_ColorButton(true, *m_borderColourButton, f.m_borderColour);
        DDX_ColorButton(true, *m_anchorColourButton, f.m_anchorColour);
        f.m_anchorWeightText = CString::FromQString(m_anchorWeightCombo->currentText());
        f.m_borderWeightText = CString::FromQString(m_borderWeightCombo->currentText());
        return;
    }
    for (int row = 0; row < LineCount; ++row) {
        QCheckBox* check = m_equationChecks[static_cast<std::size_t>(row)];
        const QSignalBlocker blocker(check);
        check->setChecked(f.m_equation[static_cast<std::size_t>(row)] != 0);
    }
    for (int i = 0; i < 4; ++i)
        m_anchorRadios[static_cast<std::size_t>(i)]->setChecked(i == f.m_anchorType);
    {
        const QSignalBlocker blocker(m_textEdit);
        m_textEdit->setPlainText(ToEditText(m_editText));
        SpaceRows();
        m_textEdit->document()->clearUndoRedoStacks();
        m_textEdit->moveCursor(QTextCursor::Start);
    }
    for (int i = 0; i < 3; ++i)
        m_justifyRadios[static_cast<std::size_t>(i)]->setChecked(i == f.m_justify);
    {
        const QSignalBlocker blocker(m_fontCombo);
        DDX_FontCombo(false, *m_fontCombo, f.m_faceName);
    }
    SetComboText(m_sizeCombo, f.m_sizeText);
    DDX_ColorButton(false, *m_fontColourButton, f.m_fontColour);
    DDX_ColorButton(false, *m_shadingColourButton, f.m_shadingColour);
    DDX_ColorButton(false, *m_borderColourButton, f.m_borderColour);
    DDX_ColorButton(false, *m_anchorColourButton, f.m_anchorColour);
    SetComboText(m_anchorWeightCombo, f.m_anchorWeightText);
    SetComboText(m_borderWeightCombo, f.m_borderWeightText);
}

bool KTAnnotateEditDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_textEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            // A new row every time, also from an empty one: the edit would take a second Enter on
            // an empty row with spacing as a wish to drop the spacing, and Shift+Enter would break
            // the line inside its row.
            QTextCursor cursor = m_textEdit->textCursor();
            cursor.beginEditBlock();
            cursor.removeSelectedText();
            cursor.insertBlock();
            cursor.endEditBlock();
            m_textEdit->setTextCursor(cursor);
            m_textEdit->ensureCursorVisible();
            return true;
        }
    }
    if ((watched == m_textEdit || watched == m_tickColumn) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show))
        PlaceEquationChecks();
    return QDialog::eventFilter(watched, event);
}

void KTAnnotateEditDlg::SpaceRows()
{
    // Only rows that lack the pitch are touched (a new row takes its neighbour's), so that
    // typing leaves the undo history as the user made it.
    QTextBlockFormat spaced;
    spaced.setLineHeight(m_rowPitch, QTextBlockFormat::FixedHeight);
    QTextCursor cursor(m_textEdit->document());
    bool editing = false;
    for (QTextBlock block = m_textEdit->document()->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (format.lineHeightType() == QTextBlockFormat::FixedHeight && format.lineHeight() == m_rowPitch)
            continue;
        if (!editing)
            cursor.beginEditBlock();
        editing = true;
        cursor.setPosition(block.position());
        cursor.mergeBlockFormat(spaced);
    }
    if (editing)
        cursor.endEditBlock();
    PlaceEquationChecks();
}

void KTAnnotateEditDlg::PlaceEquationChecks()
{
    // Row 0 where the edit lays out its first line, the others a row's pitch apart: each tick
    // centred on its row, also on rows not typed yet.
    QTextCursor start(m_textEdit->document());
    const QRect first = m_textEdit->cursorRect(start);
    const QPoint origin = m_tickColumn->mapFrom(this, m_textEdit->viewport()->mapTo(this, QPoint(0, 0)));
    for (int row = 0; row < LineCount; ++row) {
        QCheckBox* check = m_equationChecks[static_cast<std::size_t>(row)];
        const qreal centre = origin.y() + (first.top() + first.bottom() + 1) / 2.0 + row * m_rowPitch;
        check->move(0, static_cast<int>(std::lround(centre - check->height() / 2.0)));
    }
}

void KTAnnotateEditDlg::paintEvent(QPaintEvent* event)
{
    if (m_firstPaint) {
        m_textEdit->moveCursor(QTextCursor::Start);
        m_textEdit->ensureCursorVisible();
        m_firstPaint = 0;
    }
    QDialog::paintEvent(event);
}

void KTAnnotateEditDlg::OnMoreLess()
{
    m_expander.Toggle();
    m_fields.m_expanded = m_fields.m_expanded ? 0 : 1;
}

void KTAnnotateEditDlg::ReadPickers()
{
    m_fields.m_anchorStyle = m_anchorStylePicker->GetSelectedData();
    m_fields.m_borderStyle = m_borderStylePicker->GetSelectedData();
}

void KTAnnotateEditDlg::OnOK()
{
    ReadPickers();
    UpdateData(true);
    m_fields.m_lines = SplitLines(m_editText);
    accept();
}

void KTAnnotateEditDlg::OnSetAsDefault()
{
    if (!m_defaults)
        return;
    ReadPickers();
    UpdateData(true);
    m_fields.ApplyToDefaults(*m_defaults);
}

CString KTAnnotateEditDlg::JoinLines(const std::array<CString, LineCount>& lines)
{
    // Rows after the last line that holds text would only be blank lines the user cannot see:
    // the caret could land on them and what is typed there would stand rows down in the box.
    int last = LineCount - 1;
    while (last > 0 && lines[static_cast<std::size_t>(last)].IsEmpty())
        --last;
    CString text;
    for (int n = 0; n < last; ++n)
        text += lines[static_cast<std::size_t>(n)] + "\r\n";
    text += lines[static_cast<std::size_t>(last)];
    return text;
}

std::array<CString, KTAnnotateEditDlg::LineCount> KTAnnotateEditDlg::SplitLines(const CString& text)
{
    std::array<CString, LineCount> lines;
    CString rest = text;
    for (int n = 0; n < LineCount - 1; ++n) {
        const int cut = rest.Find('\r');
        if (cut < 0) {
            lines[static_cast<std::size_t>(n)] = rest;
            rest.Empty();
            continue;
        }
        lines[static_cast<std::size_t>(n)] = rest.Left(cut);
        // The break is "\r\n": the character after the "\r" goes with it.
        rest = cut + 2 <= rest.GetLength() ? rest.Mid(cut + 2) : CString();
    }
    lines[LineCount - 1] = rest;
    return lines;
}
