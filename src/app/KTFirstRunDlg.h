#pragma once
// The welcome page of the first start: two buttons that open the sign-up pages, a "Check for
// Updates" check box and the texts that explain them. Shown once.

#include "app/KTModalHook.h"

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QDialog>

class KTIconButton;
class KTLinkStatic;
class QCheckBox;

class KTFirstRunDlg : public QDialog
{
    Q_OBJECT

public:
    using ModalHook = KTModalHook<KTFirstRunDlg>;

    explicit KTFirstRunDlg(const CString& productName, QWidget* parent = nullptr);
    ~KTFirstRunDlg() override;

    bool OnInitDialog();
    int DoModal();
    /// OK: the check box's state is kept, then the dialog closes.
    void OnOK();
    void OnNewsletter();
    void OnTutorials();

    KTIconButton* NewsletterButton() const { return m_newsletter; }
    KTIconButton* TutorialsButton() const { return m_tutorials; }
    QCheckBox* CheckBox() const { return m_check; }
    KTLinkStatic* WelcomeLabel() const { return m_welcome; }

    /// The sign-up pages of the maker's site.
    static CString NewsletterPage();
    static CString TutorialsPage();

    CString m_productName;
    bool m_checkState = false;
    bool m_checkEnabled = true;

private:
    KTIconButton* m_newsletter;
    KTIconButton* m_tutorials;
    KTLinkStatic* m_internet;
    KTLinkStatic* m_checkLabel;
    KTLinkStatic* m_welcome;
    KTLinkStatic* m_later;
    QCheckBox* m_check;
};
