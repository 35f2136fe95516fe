#pragma once
// Every switch, size, font, colour and word list that steers the typesetting of one equation.
// Built from a preset by each user, perhaps adjusted ("Font", m_bParseQuotes), then only read.
// Never read from or written to the settings store.

#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionColor.h"
#include "foundation/KTOptionDouble.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionKTLogFont.h"
#include "foundation/KTOptionKTLogPen.h"
#include "foundation/KTOptionString.h"
#include "platform/CString.h"
#include "platform/KTObject.h"
#include "typeset/KTOptionText.h"

enum KTEPreset : int {
    KTEPresetGeneral = 0,
    KTEPresetScience = 1,
    KTEPresetStatistics = 2,
    KTEPresetGraphing = 3,
    KTEPresetPlain = 4,
};

class KTEOptions : public KTObject
{
public:
    KTEOptions();
    explicit KTEOptions(int preset);

    /// Defines every option of the preset (a number outside 0-4 is taken as preset 0).
    void SetPreset(int preset);
    /// Tagged "KTEOptions", schema 1: the option values in their own archive forms.
    void Serialize(KTArchive& ar) override;

    // Option values as measuring reads them: numbers forced into their ranges (the midpoint
    // replaces a value outside), without changing the option.
    int Get(const KTOptionInt& option) const;
    double Get(const KTOptionDouble& option) const;
    bool Get(const KTOptionBool& option) const { return option.m_value != 0; }
    COLORREF Get(const KTOptionColor& option) const { return option.m_value; }
    const CString& Get(const KTOptionString& option) const { return option.m_value; }
    /// First character of "Separator", or 0 when it is empty.
    char SeparatorChar() const { return m_separator.m_value.GetAt(0); }

    KTOptionText m_decimalPoint;   // "DecimalPoint"
    KTOptionText m_separator;      // "Separator"
    KTOptionInt m_lowerCase;       // "LowerCase"
    KTOptionInt m_displayVect;     // "DisplayVect"
    KTOptionInt m_doubleCaps;      // "DoubleCaps"
    KTOptionInt m_tabWidth;        // "TabWidth"
    KTOptionInt m_verticalSpacing; // "VerticalSpacing"
    KTOptionBool m_raiseDecimal;   // "RaiseDecimal"
    KTOptionBool m_detectColumnVectors;
    KTOptionBool m_functionsItalic;
    KTOptionBool m_functionsBold;
    KTOptionBool m_variablesItalic;
    KTOptionBool m_variablesBold;
    KTOptionBool m_greekItalic;
    KTOptionBool m_greekBold;
    KTOptionBool m_letters[26]; // "LettersA" .. "LettersZ"
    KTOptionKTLogFont m_font;   // "Font"
    KTOptionBool m_usePhiVariant;
    KTOptionBool m_useSigmaVariant;
    KTOptionBool m_useThetaVariant;
    KTOptionBool m_useUpsilonVariant;
    KTOptionBool m_unusedVariant; // never defined; nothing reads it
    KTOptionDouble m_powerRaise;
    KTOptionInt m_fractionGap;
    KTOptionInt m_sqrtGap;
    KTOptionInt m_sqrtThickness1;
    KTOptionInt m_sqrtThickness2;
    KTOptionInt m_multiplyStyle;
    KTOptionInt m_fracLevelMax;
    KTOptionInt m_powerLevelMax;
    KTOptionDouble m_fracLevelRatio;
    KTOptionDouble m_powerLevelRatio;
    KTOptionInt m_vectorArrowSize;
    KTOptionKTLogPen m_generalPen;
    KTOptionInt m_integralStyle;
    KTOptionBool m_useVoredovovEntry;
    KTOptionBool m_useIndicatedVectors;
    KTOptionBool m_useAutomaticVectors;
    KTOptionBool m_useOneFont;
    KTOptionBool m_unitsBold;
    KTOptionBool m_unitsItalic;
    KTOptionBool m_quoteBold;
    KTOptionBool m_quoteItalic;
    KTOptionString m_unitsFont;
    KTOptionString m_quoteFont;
    KTOptionString m_functionFont;
    KTOptionString m_vectorFont;
    KTOptionColor m_greekColor;
    KTOptionColor m_variableColor;
    KTOptionColor m_functionColor;
    KTOptionColor m_unitColor;
    KTOptionColor m_quoteColor;
    KTOptionColor m_vectorColor;
    KTOptionString m_unitsList;
    KTOptionString m_macroList;
    KTOptionBool m_shrinkNonAlgebraicFractions;
    KTOptionBool m_expandSubtract;
    KTOptionInt m_negativeNumberStyle;
    KTOptionInt m_matrixVerticalSpacing;
    KTOptionInt m_matrixHorizontalSpacing;
    KTOptionInt m_matrixAlign;
    KTOptionBool m_useWordFont;

    // Parsing flags.
    BYTE m_bPlain = 0;
    BYTE m_bExpandMacros = 0;
    BYTE m_bWideOperatorSpacing = 0;
    BYTE m_bScientificNotation = 0;
    BYTE m_bBackslashSubscripts = 0;
    BYTE m_bMatrices = 0;
    BYTE m_bParseQuotes = 0;
    BYTE m_bPlusMinusSign = 0;
    BYTE m_bLetterODegree = 0;
    BYTE m_bBackquoteDegree = 0;
    BYTE m_bTabs = 0;
    BYTE m_bRebuildDictionaries = 0;
    BYTE m_bBracketColumns = 0;

    // Word lists (syntax in KTESymbolDictionary).
    CString SpacedSymbolList;
    CString SymbolList;
    CString GreekList;
    CString FunctionList;
    CString InverseFunctionList;
    CString ReplacementList;
    CString LargeOperatorList;
    CString ModifierList;

    int m_preset = KTEPresetGeneral;
    double m_scale = 1.0; ///< multiplies lengths when measuring and drawing

private:
    void DefineCommon();
    void ApplyPreset(int preset);
    void DefineLocaleTexts();
    void DefineStyleOptions();
};
