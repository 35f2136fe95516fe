#pragma once
// The Preferences dialog: about twenty-five drawing and interaction preferences of the axes, the
// functions, the feasible regions, the annotations and the graph. It always opens on the
// application's defaults; OK writes the edited values into the current document's options and
// into the defaults, then saves the settings file. Cancel writes nothing.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include "ui/KTOptionsDlg.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class KTPreferenceDlg : public KTOptionsDlg<KTPreferenceDlg>
{
    Q_OBJECT

public:
    /// Control ids of the dialog, as its resource numbers them.
    enum ControlId {
        IdShowOrigin = 1080,
        IdShowOriginRadius = 1081,
        IdShowNegativeArrows = 1082,
        IdShowPositiveArrows = 1083,
        IdBlankUnderScale = 1084,
        IdRectBias = 1085,
        IdBreakWidth = 1001,
        IdBreakHeight = 1002,
        IdAxisPipSize = 1003,
        IdAxesArrowSize = 1004,
        IdTickBothSides = 1086,
        IdTickAboveRight = 1022,
        IdTickAboveLeft = 1023,
        IdTickBelowRight = 1024,
        IdTickBelowLeft = 1025,
        IdFRAgree = 1087,
        IdFRDivisions = 1005,
        IdKeyZoomRatio = 1006,
        IdReplacePlusMinus = 1088,
        IdRightClickOnAxes = 1093,
        IdEndCircleSize = 1013,
        IdPointDiscontinuitySize = 1020,
        IdAnchorGap = 1008,
        IdRectCornerOffset = 1009,
        IdAnnotationArrowSize = 1010,
        IdPointSize = 1011,
        IdBorderGap = 1012,
    };

    /// `defaults` is read on opening; on OK `document` (may be null) and `defaults` are written
    /// and `store` (may be null) saved. None is owned.
    KTPreferenceDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                    QWidget* parent = nullptr);
    ~KTPreferenceDlg() override;

    /// Reads every member from the defaults (a value outside its option's range is put back to
    /// the range's midpoint there first) and fills the controls.
    bool OnInitDialog();
    /// Checks every field; when all pass, writes the document's options and the defaults, saves
    /// the settings file and closes with Accepted. Else shows the first field's range message.
    void OnOK();

    /// Moves the values between the controls and the members (true: controls to members). On
    /// the way in it stops at the first field that fails, shows its message, focuses it and
    /// returns false; the members read so far keep their new values.
    bool UpdateData(bool saveAndValidate);

    /// The value an edit shows for a size kept in hundredths: stored x 0.01 as "%.15g".
    static CString HundredthsText(int stored);
    /// The stored hundredths of a typed size: typed x 100 truncated toward zero.
    static int ToHundredths(double typed);

    // Members, one per control (0 at construction).
    int m_showOrigin = 0;
    double m_showOriginRadius = 0;
    int m_showNegativeArrows = 0;
    int m_showPositiveArrows = 0;
    int m_blankUnderScale = 0;
    int m_rectBias = 0;
    double m_breakWidth = 0;
    double m_breakHeight = 0;
    double m_axisPipSize = 0;
    double m_axesArrowSize = 0;
    int m_tickStyle = 0;
    int m_frAgree = 0;
    int m_frDivisions = 0;
    double m_keyZoomRatio = 0;
    int m_replacePlusMinus = 0;
    int m_rightClickOnAxes = 0;
    double m_endCircleSize = 0;
    double m_pointDiscontinuitySize = 0;
    double m_anchorGap = 0;
    double m_rectCornerOffset = 0;
    double m_annotationArrowSize = 0;
    double m_pointSize = 0;
    double m_borderGap = 0;

private:
    struct NumberField
    {
        int id;
        double minimum;
        double maximum;
        bool checked; ///< false: no range check
    };

    void BuildLayout();
    void WriteInto(KTOptionGraph3& options) const override;
    const NumberField* FindField(int id) const;

    bool m_initialised = false;
};
