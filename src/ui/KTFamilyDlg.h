#pragma once
// The "Family" dialog: the range over which a family constant runs, as the typed texts From, To
// and Step. OK refuses a text that is no number; the opener reads the texts as numbers after it.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include "ui/KTDialog.h"

class QLineEdit;
class QPushButton;

class KTFamilyDlg : public KTDialog<KTFamilyDlg, KTDialogInit::OnModal>
{
    Q_OBJECT

public:
    explicit KTFamilyDlg(QWidget* parent = nullptr);
    ~KTFamilyDlg() override;

    /// Fills the edits from the members and runs the dialog; Accepted after OK, which has
    /// copied the edits' texts back into the members.
    int DoModal();
    /// Moves the texts between the members and the edits (true: edits to members).
    void UpdateData(bool saveAndValidate);
    /// OK: the texts (trimmed) into the members, then Accepted; a text that is no number is
    /// refused with a message and the dialog stays open.
    void OnOK();

    CString m_from = "-10";
    CString m_to = "10";
    CString m_step = "0.25";

    QLineEdit* FromEdit() const { return m_fromEdit; }
    QLineEdit* ToEdit() const { return m_toEdit; }
    QLineEdit* StepEdit() const { return m_stepEdit; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }

private:
    QLineEdit* m_fromEdit = nullptr; // 1008
    QLineEdit* m_toEdit = nullptr;   // 1003
    QLineEdit* m_stepEdit = nullptr; // 1004
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
