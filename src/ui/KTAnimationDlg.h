#pragma once
// The "Animation" dialog: the range a family constant runs through, its step, the speed and
// whether it turns back at the ends. It reads and writes only its own members: the opener fills
// them from a parameter panel before DoModal and takes them back after OK. The texts pass
// through as typed, trimmed; OK refuses a text that is no number.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include "ui/KTDialog.h"

class QCheckBox;
class QLineEdit;
class QSlider;

class KTAnimationDlg : public KTDialog<KTAnimationDlg, KTDialogInit::OnModal>
{
    Q_OBJECT

public:
    /// The slider's range.
    static constexpr int SpeedMinimum = 0;
    static constexpr int SpeedMaximum = 10;

    explicit KTAnimationDlg(QWidget* parent = nullptr);
    ~KTAnimationDlg() override;

    /// Fills the controls from the members, runs the dialog and, after OK, takes the controls
    /// back into the members. QDialog::Accepted or QDialog::Rejected.
    int DoModal();

    /// The members into the controls (speed: the speed to show, clamped to the slider).
    void OnInitDialog();
    /// OK: closes the dialog only when From, To and Step are numbers; else says so.
    void OnOK();

    int m_reverse = 0;       ///< "Reverse"
    CString m_from = "-10";  ///< beside "From"
    CString m_to = "10";     ///< beside "To"
    CString m_step = "0.25"; ///< beside "Step"
    int m_speed = 0;         ///< the slider's position read back after OK, 0..10
    int m_speedToShow = 0;   ///< set by the opener before DoModal

    QCheckBox& ReverseCheck() const { return *m_reverseCheck; }
    QLineEdit& FromEdit() const { return *m_fromEdit; }
    QLineEdit& ToEdit() const { return *m_toEdit; }
    QLineEdit& StepEdit() const { return *m_stepEdit; }
    QSlider& SpeedSlider() const { return *m_speedSlider; }

private:
    /// The controls back into the members.
    void SaveControls();

    QCheckBox* m_reverseCheck = nullptr;
    QLineEdit* m_fromEdit = nullptr;
    QLineEdit* m_toEdit = nullptr;
    QLineEdit* m_stepEdit = nullptr;
    QSlider* m_speedSlider = nullptr;
};
