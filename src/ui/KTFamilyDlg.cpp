#include "ui/KTFamilyDlg.h"
#include "ui/KTNumberEdits.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KTFamilyDlg::KTFamilyDlg(QWidget* parent) : KTDialog(parent)
{
    setObjectName(QStringLiteral("KTFamilyDlg"));
    setWindowTitle(QStringLiteral("Family"));
    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    m_fromEdit = makeEdit("fromEdit");
    m_toEdit = makeEdit("toEdit");
    m_stepEdit = makeEdit("stepEdit");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("From"), m_fromEdit);
    form->addRow(QStringLiteral("To"), m_toEdit);
    form->addRow(QStringLiteral("Step"), m_stepEdit);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addLayout(buttons);
    setTabOrder(m_fromEdit, m_toEdit);
    setTabOrder(m_toEdit, m_stepEdit);
    setTabOrder(m_stepEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);

    connect(m_okButton, &QPushButton::clicked, this, &KTFamilyDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &KTFamilyDlg::reject);
}

KTFamilyDlg::~KTFamilyDlg() = default;

void KTFamilyDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_from = CString::FromQString(m_fromEdit->text());
        m_to = CString::FromQString(m_toEdit->text());
        m_step = CString::FromQString(m_stepEdit->text());
        return;
    }
    m_fromEdit->setText(m_from.ToQString());
    m_toEdit->setText(m_to.ToQString());
    m_stepEdit->setText(m_step.ToQString());
}

void KTFamilyDlg::OnOK()
{
    // The range is read as numbers once the dialog closes: a text that is none is refused here.
    CString from, to, step;
    if (!KTCheckNumberEdit(m_fromEdit, from) || !KTCheckNumberEdit(m_toEdit, to) ||
        !KTCheckNumberEdit(m_stepEdit, step))
        return;
    UpdateData(true);
    m_from = from;
    m_to = to;
    m_step = step;
    accept();
}

int KTFamilyDlg::DoModal()
{
    UpdateData(false);
    return RunModal();
}
