#pragma once
// The Messages dialog: the words the graph writes beside its points of interest and its other
// labels, with their numbers of decimal places. It always opens on the application's defaults;
// OK writes the texts into the current document's options and into the defaults, then saves the
// settings file. Nothing typed is checked: any text is taken, and the decimals come from lists.

#ifndef Q_MOC_RUN
#include "platform/CString.h"

#include <array>
#endif

#include "ui/KTOptionsDlg.h"

class KTMessagesDlg : public KTOptionsDlg<KTMessagesDlg>
{
    Q_OBJECT

public:
    /// Rows with decimals: the twelve point-of-interest entries, then the area text.
    static constexpr int DecimalRowCount = 13;
    /// Rows of text alone: the y-axis word, the two derivative words, the right-click text and
    /// the two arm words.
    static constexpr int TextRowCount = 6;
    /// Entries of each decimals list: "0" to "10".
    static constexpr int DecimalChoices = 11;

    /// The text edit and decimals list ids of the thirteen rows, then the six text-only edits.
    static const std::array<int, DecimalRowCount> TextIds;
    static const std::array<int, DecimalRowCount> DecimalIds;
    static const std::array<int, TextRowCount> PlainTextIds;

    /// `defaults` is read on opening; on OK `document` (may be null) and `defaults` are written
    /// and `store` (may be null) saved. None is owned.
    KTMessagesDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                  QWidget* parent = nullptr);
    ~KTMessagesDlg() override;

    /// Reads every text and number of decimals from the defaults (decimals outside their range
    /// are put back to the midpoint there first) and fills the controls.
    bool OnInitDialog();
    /// Writes every row into the document's options and the defaults, saves, closes.
    void OnOK();
    void UpdateData(bool saveAndValidate);

    std::array<CString, DecimalRowCount> m_text;
    std::array<int, DecimalRowCount> m_decimals{};
    std::array<CString, TextRowCount> m_plainText;

private:
    void BuildLayout();
    void WriteInto(KTOptionGraph3& options) const override;
};
