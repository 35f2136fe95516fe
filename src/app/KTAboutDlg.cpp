#include "app/KTAboutDlg.h"

#include "foundation/KTFileVersion.h"
#include "ui/KTResources.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDialogButtonBox* OkButton(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    return buttons;
}

} // namespace

KTAboutDlg::KTAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KTAboutDlg"));
    setWindowTitle(QStringLiteral("About KT Graph"));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Icon"));
    icon->setPixmap(KTResources::ApplicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    m_versionLabel = new QLabel(this);
    m_versionLabel->setObjectName(QStringLiteral("Version"));
    m_noticeLabel = new QLabel(this);
    m_noticeLabel->setObjectName(QStringLiteral("Notice"));
    auto* lines = new QVBoxLayout;
    lines->addWidget(m_versionLabel);
    lines->addWidget(m_noticeLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(lines, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(OkButton(this));
}

KTAboutDlg::~KTAboutDlg() = default;

CString KTAboutDlg::VersionLine(int productMajor, int productMinor, int fileBuild)
{
    CString line;
    line.Format("KT Graph V%d.%03d.%d", productMajor, productMinor, fileBuild);
    return line;
}

bool KTAboutDlg::OnInitDialog()
{
    KTFileVersion version;
    version.ReadModule(KTFileVersion::ProgramModule()); // unreadable: every number 0
    const VS_FIXEDFILEINFO& info = version.GetFixedInfo();
    m_version = VersionLine(version.ProductMajor(), version.ProductMinor(),
                            static_cast<int>(info.dwFileVersionLS >> 16));
    m_notice = "Copyright (C) Norwyn Software. All rights reserved.";
    m_versionLabel->setText(m_version.ToQString());
    m_noticeLabel->setText(m_notice.ToQString());
    return true;
}

int KTAboutDlg::DoModal()
{
    OnInitDialog();
    return ModalHook::Run(*this);
}

KTAboutMakerDlg::KTAboutMakerDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KTAboutMakerDlg"));
    setWindowTitle(QStringLiteral("Contact Details"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Norwyn Software"), this));
    layout->addWidget(new QLabel(
        QStringLiteral("Current postal address and phone/fax numbers are available on our website"), this));
    layout->addWidget(new QLabel(QStringLiteral("Email:   ") + QString::fromLatin1(EmailAddress), this));
    layout->addWidget(new QLabel(QStringLiteral("Web:    ") + QString::fromLatin1(WebHost), this));
    layout->addWidget(OkButton(this));
}
