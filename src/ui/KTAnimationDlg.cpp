#include "ui/KTAnimationDlg.h"
#include "ui/KTNumberEdits.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

KTAnimationDlg::KTAnimationDlg(QWidget* parent) : KTDialog(parent)
{
    setObjectName(QStringLiteral("KTAnimationDlg"));
    setWindowTitle(QStringLiteral("Animation"));

    auto* grid = new QGridLayout;
    m_fromEdit = MakeEdit(this, "from");
    m_toEdit = MakeEdit(this, "to");
    m_stepEdit = MakeEdit(this, "step");
    grid->addWidget(new QLabel(QStringLiteral("From"), this), 0, 0);
    grid->addWidget(m_fromEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("To"), this), 1, 0);
    grid->addWidget(m_toEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Step"), this), 2, 0);
    grid->addWidget(m_stepEdit, 2, 1);

    m_reverseCheck = new QCheckBox(QStringLiteral("Reverse"), this);
    m_reverseCheck->setObjectName(QStringLiteral("reverse"));

    m_speedSlider = new QSlider(Qt::Horizontal, this);
    m_speedSlider->setObjectName(QStringLiteral("speed"));
    m_speedSlider->setRange(SpeedMinimum, SpeedMaximum);
    m_speedSlider->setTickPosition(QSlider::TicksBelow);
    m_speedSlider->setPageStep(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &KTAnimationDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Speed"), this));
    layout->addWidget(m_speedSlider);
    layout->addWidget(m_reverseCheck);
    layout->addWidget(buttons);

    setTabOrder(m_fromEdit, m_toEdit);
    setTabOrder(m_toEdit, m_stepEdit);
    setTabOrder(m_stepEdit, m_speedSlider);
    setTabOrder(m_speedSlider, m_reverseCheck);
}

KTAnimationDlg::~KTAnimationDlg() = default;

void KTAnimationDlg::OnInitDialog()
{
    const QSignalBlocker b1(m_reverseCheck), b2(m_fromEdit), b3(m_toEdit), b4(m_stepEdit), b5(m_speedSlider);
    m_reverseCheck->setChecked(m_reverse != 0);
    m_fromEdit->setText(m_from.ToQString());
    m_toEdit->setText(m_to.ToQString());
    m_stepEdit->setText(m_step.ToQString());
    m_speedSlider->setValue(std::clamp(m_speedToShow, SpeedMinimum, SpeedMaximum));
}

void KTAnimationDlg::OnOK()
{
    // The range and step are read as numbers by the animation: a text that is none is refused.
    CString text;
    for (QLineEdit* edit : {m_fromEdit, m_toEdit, m_stepEdit})
        if (!KTCheckNumberEdit(edit, text))
            return;
    accept();
}

void KTAnimationDlg::SaveControls()
{
    m_reverse = m_reverseCheck->isChecked() ? 1 : 0;
    m_from = CString::FromQString(m_fromEdit->text().trimmed());
    m_to = CString::FromQString(m_toEdit->text().trimmed());
    m_step = CString::FromQString(m_stepEdit->text().trimmed());
    m_speed = m_speedSlider->value();
}

int KTAnimationDlg::DoModal()
{
    OnInitDialog();
    const int result = RunModal();
    if (result == QDialog::Accepted)
        SaveControls();
    return result;
}
