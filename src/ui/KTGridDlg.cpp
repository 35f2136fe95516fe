#include "ui/KTGridDlg.h"
#include "ui/KTNamedWidgets.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTMessageBox.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTPointStyleComboBox.h"
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

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

constexpr double kPointsPerHimetric = 0.11338583409262867;

CString WeightText(double widthHimetric)
{
    const double points = std::floor(widthHimetric * kPointsPerHimetric + 0.5) * 0.25;
    return KTNumberFormat().Format(points, 6) + "pt";
}

/// Every letter is dropped from a typed weight before it is read as points; a weight that
/// gives no usable width keeps the pen's old one.
KTLogPen BuildPen(const KTLogPen& old, const CString& weight, int style, COLORREF colour)
{
    CString number;
    for (int i = 0; i < weight.GetLength(); ++i) {
        const char ch = weight.GetAt(i);
        if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')))
            number += ch;
    }
    double points = KTNumberText().ToDouble(number);
    if (!std::isfinite(points) || std::fabs(points * KTLogPen::kUnitsPerPoint) >= 2147483647.0)
        points = old.m_width / KTLogPen::kUnitsPerPoint;
    KTLogPen pen;
    pen.Set(points, style, colour);
    return pen;
}

/// Colour exchange that never leaves "Automatic" in a record: it stands for the colour shown.
void ExchangeColour(bool save, CColorButton& button, COLORREF& colour)
{
    DDX_ColorButton(save, button, colour);
    if (save && colour == COLORPICK_AUTOMATIC)
        colour = button.GetShownColor();
}

int ForcedIntoRange(KTOptionInt& option, int value)
{
    option.m_value = value;
    return option.GetValue();
}

} // namespace

KTGridDlg::KTGridDlg(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent)
    : KTDialog(parent), m_defaults(defaults), m_store(store)
{
    setObjectName(Q("KTGridDlg"));
    setWindowTitle(Q("Grid Properties"));
    CreateControls();
    ConnectControls();
}

KTGridDlg::~KTGridDlg() = default;

void KTGridDlg::CreateControls()
{
    auto makeButton = [this](const char* text, const char* name) { return KTNamedButton(this, text, name); };

    auto* modeGroup = new QGroupBox(Q("Show Grid As"), this);
    modeGroup->setObjectName(Q("modeGroup"));
    m_linesRadio = new QRadioButton(Q("Lines"), modeGroup);
    m_linesRadio->setObjectName(Q("linesRadio"));
    m_pointsRadio = new QRadioButton(Q("Points"), modeGroup);
    m_pointsRadio->setObjectName(Q("pointsRadio"));
    auto* radios = new QButtonGroup(this);
    radios->addButton(m_linesRadio, 0);
    radios->addButton(m_pointsRadio, 1);
    auto* modeLayout = new QHBoxLayout(modeGroup);
    modeLayout->addWidget(m_linesRadio);
    modeLayout->addWidget(m_pointsRadio);

    // The resource's captions of the four frames; the layout gives the majors theirs.
    const char* const titles[] = {"x Major", "x Minor", "y Major", "y Minor"};
    const char* const names[] = {"xMajor", "xMinor", "yMajor", "yMinor"};
    for (std::size_t i = 0; i < 4; ++i) {
        const QString name = Q(names[i]);
        auto* group = new QGroupBox(Q(titles[i]), this);
        group->setObjectName(name + Q("Group"));
        m_groups[i] = group;
        m_stylePickers[i] = new KTLineStyleComboBox(group);
        m_stylePickers[i]->setObjectName(name + Q("StylePicker"));
        m_weightCombos[i] = new QComboBox(group);
        m_weightCombos[i]->setObjectName(name + Q("WeightCombo"));
        m_weightCombos[i]->setEditable(true);
        m_weightCombos[i]->setInsertPolicy(QComboBox::NoInsert);
        for (const char* text : KTWeightTexts)
            m_weightCombos[i]->addItem(Q(text));
        m_colorButtons[i] = new CColorButton(group);
        m_colorButtons[i]->setObjectName(name + Q("ColorButton"));
        m_colorButtons[i]->setFixedSize(48, 24);
        m_labels[i * 2] = new QLabel(Q("Style"), group);
        m_labels[i * 2]->setObjectName(name + Q("StyleLabel"));
        m_labels[i * 2 + 1] = new QLabel(Q("Weight"), group);
        m_labels[i * 2 + 1]->setObjectName(name + Q("WeightLabel"));
        auto* grid = new QGridLayout(group);
        grid->addWidget(m_labels[i * 2], 0, 0);
        grid->addWidget(m_stylePickers[i], 0, 1);
        grid->addWidget(m_labels[i * 2 + 1], 1, 0);
        grid->addWidget(m_weightCombos[i], 1, 1);
        grid->addWidget(m_colorButtons[i], 2, 1, Qt::AlignLeft);
    }
    // The point pickers share the frames of the major pens, which become the points' frames.
    m_majorPointPicker = new KTPointStyleComboBox(m_groups[XMajor]);
    m_majorPointPicker->setObjectName(Q("majorPointPicker"));
    m_minorPointPicker = new KTPointStyleComboBox(m_groups[YMajor]);
    m_minorPointPicker->setObjectName(Q("minorPointPicker"));
    m_majorPointPicker->m_marks = &m_options.m_marks;
    m_minorPointPicker->m_marks = &m_options.m_marks;
    static_cast<QGridLayout*>(m_groups[XMajor]->layout())->addWidget(m_majorPointPicker, 3, 0, 1, 2);
    static_cast<QGridLayout*>(m_groups[YMajor]->layout())->addWidget(m_minorPointPicker, 3, 0, 1, 2);

    m_polarCheck = new QCheckBox(Q("Polar Grid"), this);
    m_polarCheck->setObjectName(Q("polarGridCheck"));
    m_raysEdit = new QLineEdit(this);
    m_raysEdit->setObjectName(Q("raysEdit"));
    auto* polarRow = new QHBoxLayout;
    polarRow->addWidget(m_polarCheck);
    polarRow->addWidget(new QLabel(Q("Rays"), this));
    polarRow->addWidget(m_raysEdit);

    m_setAsDefaultButton = makeButton("Set As Default", "setAsDefaultButton");
    m_setAsDefaultButton->setEnabled(m_defaults != nullptr);
    m_okButton = makeButton("OK", "okButton");
    m_okButton->setDefault(true);
    m_cancelButton = makeButton("Cancel", "cancelButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_setAsDefaultButton);
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* frames = new QGridLayout;
    frames->addWidget(m_groups[XMajor], 0, 0);
    frames->addWidget(m_groups[YMajor], 0, 1);
    frames->addWidget(m_groups[XMinor], 1, 0);
    frames->addWidget(m_groups[YMinor], 1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(modeGroup);
    outer->addLayout(frames);
    outer->addLayout(polarRow);
    outer->addLayout(buttons);
    // The dialog follows its content: points mode hides the line controls and the minor groups,
    // and the window shrinks to what is left.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* const order[] = {m_linesRadio,           m_pointsRadio,
                              m_stylePickers[XMajor], m_weightCombos[XMajor],
                              m_colorButtons[XMajor], m_majorPointPicker,
                              m_stylePickers[YMajor], m_weightCombos[YMajor],
                              m_colorButtons[YMajor], m_minorPointPicker,
                              m_stylePickers[XMinor], m_weightCombos[XMinor],
                              m_colorButtons[XMinor], m_stylePickers[YMinor],
                              m_weightCombos[YMinor], m_colorButtons[YMinor],
                              m_polarCheck,           m_raysEdit,
                              m_setAsDefaultButton,   m_okButton,
                              m_cancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void KTGridDlg::ConnectControls()
{
    connect(m_okButton, &QPushButton::clicked, this, &KTGridDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &KTGridDlg::reject);
    connect(m_setAsDefaultButton, &QPushButton::clicked, this, &KTGridDlg::OnSetAsDefault);
    connect(m_linesRadio, &QRadioButton::clicked, this, &KTGridDlg::OnLines);
    connect(m_pointsRadio, &QRadioButton::clicked, this, &KTGridDlg::OnPoints);
    connect(m_polarCheck, &QCheckBox::clicked, this, &KTGridDlg::OnPolarGrid);
}

bool KTGridDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = 1;
    for (KTLineStyleComboBox* picker : m_stylePickers)
        picker->FillFromTextTable(KTLineStyleNoneTable, CString());
    m_majorPointPicker->FillFromTextTable(KTPointTypeTable, CString());
    m_minorPointPicker->FillFromTextTable(KTPointTypeTable, CString());
    OptionsToControls();
    return true;
}

void KTGridDlg::OptionsToControls()
{
    KTOptionAxes2& axes = m_options;
    const std::array<KTOptionKTLogPen*, 4> pens = {&axes.m_xGridMajorPen, &axes.m_xGridMinorPen,
                                                   &axes.m_yGridMajorPen, &axes.m_yGridMinorPen};
    for (std::size_t i = 0; i < 4; ++i) {
        const KTLogPen& pen = pens[i]->m_value;
        if (i == XMajor || i == YMajor)
            m_majorLineColors[i / 2] = pen.m_color;
        else
            m_minorLineColors[i / 2] = pen.m_color;
        m_weights[i] = WeightText(pen.m_width);
        m_styles[i] = pen.StyleNumber();
        m_stylePickers[i]->SelectItemData(m_styles[i]);
        m_colorButtons[i]->SetDefaultColor(pens[i]->GetDefault().m_color);
    }
    m_majorDot = axes.m_majorDot.GetValue();
    m_minorDot = axes.m_minorDot.GetValue();
    m_majorPointPicker->SelectItemData(m_majorDot);
    m_minorPointPicker->SelectItemData(m_minorDot);

    m_majorPointColor = axes.m_majorDotColor.m_value;
    m_minorPointColor = axes.m_minorDotColor.m_value;
    m_polarGrid = axes.m_usePolarGrid.m_value ? 1 : 0;
    m_rays = axes.m_polarRays.GetValue();
    m_mode = axes.m_showGridDots.m_value ? 1 : 0;
    UpdateData(false, true);
    UpdateLayout();
    ApplyPolarRule();
}

bool KTGridDlg::UpdateData(bool save, bool withRays)
{
    ExchangeColour(save, *m_colorButtons[XMajor], m_buttonColors[0]);
    ExchangeColour(save, *m_colorButtons[YMajor], m_buttonColors[1]);
    ExchangeColour(save, *m_colorButtons[XMinor], m_minorLineColors[0]);
    ExchangeColour(save, *m_colorButtons[YMinor], m_minorLineColors[1]);
    for (std::size_t i = 0; i < 4; ++i) {
        if (save) {
            m_weights[i] = CString::FromQString(m_weightCombos[i]->currentText());
        } else {
            const QSignalBlocker blocker(m_weightCombos[i]);
            m_weightCombos[i]->setCurrentText(m_weights[i].ToQString());
        }
    }
    if (save) {
        m_mode = m_linesRadio->isChecked() ? 0 : m_pointsRadio->isChecked() ? 1 : -1;
        m_polarGrid = m_polarCheck->isChecked() ? 1 : 0;
    } else {
        const QSignalBlocker lines(m_linesRadio);
        const QSignalBlocker points(m_pointsRadio);
        const QSignalBlocker polar(m_polarCheck);
        m_linesRadio->setChecked(m_mode == 0);
        m_pointsRadio->setChecked(m_mode == 1);
        m_polarCheck->setChecked(m_polarGrid != 0);
    }
    if (!withRays)
        return true;
    if (!save) {
        const QSignalBlocker blocker(m_raysEdit);
        m_raysEdit->setText(QString::number(m_rays));
        return true;
    }
    bool isNumber = false;
    const int rays = m_raysEdit->text().trimmed().toInt(&isNumber);
    if (!isNumber) {
        KTMessageBox("KT Graph 3", "Please enter an integer.", MB_OK | MB_ICONWARNING);
        m_raysEdit->setFocus();
        return false;
    }
    m_rays = rays;
    if (rays < RaysMinimum || rays > RaysMaximum) {
        KTMessageBox(
            "KT Graph 3",
            CString(KTFormatC("Please enter an integer between %d and %d.", RaysMinimum, RaysMaximum)),
            MB_OK | MB_ICONWARNING);
        m_raysEdit->setFocus();
        return false;
    }
    return true;
}

void KTGridDlg::UpdateLayout()
{
    UpdateData(true, false);
    const bool points = m_mode == 1;
    if (points) {
        m_buttonColors = {m_majorPointColor, m_minorPointColor};
        m_groups[XMajor]->setTitle(Q("Major Point"));
        m_groups[YMajor]->setTitle(Q("Minor Point"));
    } else {
        m_buttonColors = m_majorLineColors;
        m_groups[XMajor]->setTitle(Q("x Major Line"));
        m_groups[YMajor]->setTitle(Q("y Major Line"));
    }
    for (std::size_t i = 0; i < 4; ++i) {
        m_stylePickers[i]->setVisible(!points);
        m_weightCombos[i]->setVisible(!points);
        m_labels[i * 2]->setVisible(!points);
        m_labels[i * 2 + 1]->setVisible(!points);
    }
    m_colorButtons[XMinor]->setVisible(!points);
    m_colorButtons[YMinor]->setVisible(!points);
    m_groups[XMinor]->setVisible(!points);
    m_groups[YMinor]->setVisible(!points);
    m_colorButtons[XMajor]->setVisible(true);
    m_colorButtons[YMajor]->setVisible(true);
    m_majorPointPicker->setVisible(points);
    m_minorPointPicker->setVisible(points);
    // The frames first, then the window, so that it takes the size of what it now shows at once.
    for (QGroupBox* group : m_groups)
        group->layout()->activate();
    layout()->activate();
    UpdateData(false, false);
    // Button 1057 changes meaning with the mode, so its polar-grid enabling must follow.
    ApplyPolarRule();
}

void KTGridDlg::RememberButtonColours()
{
    if (m_mode == 1) {
        m_majorPointColor = m_buttonColors[0];
        m_minorPointColor = m_buttonColors[1];
    } else {
        m_majorLineColors = m_buttonColors;
    }
}

void KTGridDlg::OnLines()
{
    if (m_mode == 1) {
        UpdateData(true, false);
        m_majorPointColor = m_buttonColors[0];
        m_minorPointColor = m_buttonColors[1];
        m_buttonColors = m_majorLineColors;
        UpdateData(false, false);
    }
    UpdateLayout();
}

void KTGridDlg::OnPoints()
{
    if (m_mode == 0) {
        UpdateData(true, false);
        m_majorLineColors = m_buttonColors;
        m_buttonColors = {m_majorPointColor, m_minorPointColor};
        UpdateData(false, false);
    }
    UpdateLayout();
}

void KTGridDlg::ApplyPolarRule()
{
    const bool polar = m_polarCheck->isChecked();
    m_raysEdit->setEnabled(polar);
    for (Pen pen : {YMajor, YMinor}) {
        m_stylePickers[pen]->setEnabled(!polar);
        m_weightCombos[pen]->setEnabled(!polar);
    }
    m_colorButtons[YMinor]->setEnabled(!polar);
    m_colorButtons[YMajor]->setEnabled(!(polar && m_mode != 1));
}

void KTGridDlg::OnPolarGrid()
{
    UpdateData(true, false);
    ApplyPolarRule();
}

void KTGridDlg::WriteGridStyle(KTOptionAxes2& axes)
{
    for (std::size_t i = 0; i < 4; ++i)
        m_styles[i] = m_stylePickers[i]->GetSelectedData();
    m_majorDot = m_majorPointPicker->GetSelectedData();
    m_minorDot = m_minorPointPicker->GetSelectedData();
    const std::array<KTOptionKTLogPen*, 4> pens = {&axes.m_xGridMajorPen, &axes.m_xGridMinorPen,
                                                   &axes.m_yGridMajorPen, &axes.m_yGridMinorPen};
    const std::array<COLORREF, 4> colours = {m_majorLineColors[0], m_minorLineColors[0], m_majorLineColors[1],
                                             m_minorLineColors[1]};
    for (std::size_t i = 0; i < 4; ++i)
        pens[i]->m_value = BuildPen(pens[i]->m_value, m_weights[i], m_styles[i], colours[i]);
    m_majorDot = ForcedIntoRange(axes.m_majorDot, m_majorDot);
    m_minorDot = ForcedIntoRange(axes.m_minorDot, m_minorDot);
    axes.m_majorDotColor.m_value = m_majorPointColor;
    axes.m_minorDotColor.m_value = m_minorPointColor;
    axes.m_showGridDots.m_value = m_mode == 1;
}

void KTGridDlg::OnOK()
{
    const bool valid = UpdateData(true, true);
    RememberButtonColours();
    WriteGridStyle(m_options);
    m_options.m_usePolarGrid.m_value = m_polarGrid != 0;
    m_rays = ForcedIntoRange(m_options.m_polarRays, m_rays);
    // The working copy holds the dialog's state either way; the opener takes it only on OK.
    if (valid)
        QDialog::accept();
}

void KTGridDlg::OnSetAsDefault()
{
    if (!m_defaults)
        return;
    UpdateData(true, false);
    RememberButtonColours();
    WriteGridStyle(m_defaults->m_axes);
    if (m_store) {
        m_defaults->SaveSettings(*m_store, false);
        m_store->Write();
    }
}
