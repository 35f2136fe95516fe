#include "typeset/KTEOptions.h"

#include "platform/KTArchive.h"
#include "platform/KTLocale.h"

namespace {

const char* const Section = "Options";

constexpr int IntMin = -32768;
constexpr int IntMax = 32767;

const char* const Replacements =
    "xx,x2,xxx,x3,xxxx,x4,xxxxx,x5,xxxxxx,x6,yy,y2,yyy,y3,yyyy,y4,yyyyy,y5,yyyyyy,y6";

const char* const ScienceGreek =
    "pi,112,th,113,al,97,be,98,ch,99,de,100,ph,102,ga,103,la,108,mu,109,rh,114,SI,S,om,119,OM,87,"
    "si,115,ep,101,ze,122,et,104,io,105,ka,107,nu,110,xi,120,ta,116,up,117,ps,121,GA,71,DE,68,TH,81,"
    "LA,76,XI,88,PI,80,UP,85,PH,70,PS,89";

struct PresetTable
{
    bool indicatedVectors, automaticVectors;
    int lowerCase, doubleCaps;
    bool detectColumnVectors, useOneFont;
    BYTE plain, expandMacros, wideOperatorSpacing, scientificNotation, backslashSubscripts, matrices,
        parseQuotes, plusMinusSign, letterODegree, backquoteDegree, tabs, rebuildDictionaries;
};

constexpr PresetTable Presets[5] = {
    {false, true, 1, 1, true, true, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {true, true, 0, 1, true, false, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {false, false, 0, 0, false, false, 0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 0},
    {false, false, 0, 0, false, true, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0},
    {false, false, 0, 0, false, true, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
};

} // namespace

KTEOptions::KTEOptions() : KTEOptions(KTEPresetGeneral) {}

KTEOptions::KTEOptions(int preset)
{
    SetPreset(preset);
}

int KTEOptions::Get(const KTOptionInt& option) const
{
    const int value = option.m_value;
    if (value < option.GetMinimum() || value > option.GetMaximum())
        return (option.GetMinimum() + option.GetMaximum()) / 2;
    return value;
}

double KTEOptions::Get(const KTOptionDouble& option) const
{
    const double value = option.m_value;
    if (value < option.GetMinimum() || value > option.GetMaximum())
        return (option.GetMinimum() + option.GetMaximum()) * 0.5;
    return value;
}

void KTEOptions::SetPreset(int preset)
{
    if (preset < KTEPresetGeneral || preset > KTEPresetPlain)
        preset = KTEPresetGeneral; // an unknown preset would leave options undefined
    m_bPlain = 0;
    DefineCommon();
    m_bLetterODegree = 1;
    m_bBackquoteDegree = 1;
    m_bTabs = 1;
    m_font.Set(Section, "Font", 0, KTLogFont());
    m_scale = 1.0;
    m_preset = preset;
    ApplyPreset(preset);
    DefineLocaleTexts();
    DefineStyleOptions();
}

void KTEOptions::DefineCommon()
{
    m_displayVect.Set(Section, "DisplayVect", 0, 0, IntMin, IntMax);
    m_powerRaise.Set(Section, "PowerRaise", 0, 0.7, 0.0, 1.0);
    m_fractionGap.Set(Section, "FractionGap", 0, 0, 0, 200);
    m_sqrtGap.Set(Section, "SqrtGap", 0, 100, 0, 500);
    m_sqrtThickness1.Set(Section, "SqrtThickness1", 0, 30, 0, 200);
    m_sqrtThickness2.Set(Section, "SqrtThickness2", 0, 90, 0, 400);
    m_multiplyStyle.Set(Section, "MultiplyStyle", 0, 0, 0, 2);
    m_fracLevelMax.Set(Section, "FracLevelMax", 0, 4, 0, 10);
    m_powerLevelMax.Set(Section, "PowerLevelMax", 0, 2, 0, 10);
    m_fracLevelRatio.Set(Section, "FracLevelRatio", 0, 0.3, 0.0, 1.0);
    m_powerLevelRatio.Set(Section, "PowerLevelRatio", 0, 0.3, 0.0, 1.0);
    m_vectorArrowSize.Set(Section, "VectorArrowSize", 0, 150, 0, 500);
    m_generalPen.Set(Section, "GeneralPen", 0, KTLogPen(2, 65542, 0, 30.0));
    m_integralStyle.Set(Section, "IntegralStyle", 0, 0, 0, 1);
    m_useVoredovovEntry.Set(Section, "UseVoredovovEntry", 0, 1);
    m_unitsBold.Set(Section, "UnitsBold", 0, 1);
    m_unitsItalic.Set(Section, "UnitsItalic", 0, 1);
    m_quoteBold.Set(Section, "QuoteBold", 0, 0);
    m_quoteItalic.Set(Section, "QuoteItalic", 0, 1);
    m_unitsFont.Set(Section, "UnitsFont", 0, "Arial", -1);
    m_quoteFont.Set(Section, "QuoteFont", 0, "Arial", -1);
    m_functionFont.Set(Section, "FunctionFont", 0, "Arial", -1);
    m_vectorFont.Set(Section, "VectorFont", 0, "Arial", -1);
    m_greekColor.Set(Section, "GreekColor", 0, 0);
    m_variableColor.Set(Section, "VariableColor", 0, 0);
    m_functionColor.Set(Section, "FunctionColor", 0, 0);
    m_unitColor.Set(Section, "UnitColor", 0, 0);
    m_quoteColor.Set(Section, "QuoteColor", 0, 0);
    m_vectorColor.Set(Section, "VectorColor", 0, 0);
    m_shrinkNonAlgebraicFractions.Set(Section, "ShrinkNonAlgebraicFractions", 0, 1);
    m_expandSubtract.Set(Section, "ExpandSubtract", 0, 1);
    m_negativeNumberStyle.Set(Section, "NegativeNumberStyle", 0, 0, 0, 2);
    m_matrixVerticalSpacing.Set(Section, "MatrixVerticalSpacing", 0, 400, 0, 10000);
    m_matrixHorizontalSpacing.Set(Section, "MatrixHorizontalSpacing", 0, 600, 0, 10000);
    m_matrixAlign.Set(Section, "MatrixAlign", 0, 1, 0, 2);
    m_useWordFont.Set(Section, "UseWordFont", 0, 0);
}

void KTEOptions::ApplyPreset(int preset)
{
    const PresetTable& p = Presets[preset];
    m_useIndicatedVectors.Set(Section, "UseIndicatedVectors", 0, p.indicatedVectors);
    m_useAutomaticVectors.Set(Section, "UseAutomaticVectors", 0, p.automaticVectors);
    m_lowerCase.Set(Section, "LowerCase", 0, p.lowerCase, IntMin, IntMax);
    m_doubleCaps.Set(Section, "DoubleCaps", 0, p.doubleCaps, IntMin, IntMax);
    m_detectColumnVectors.Set(Section, "DetectColumnVectors", 0, p.detectColumnVectors);
    m_useOneFont.Set(Section, "UseOneFont", 0, p.useOneFont);
    m_useVoredovovEntry.Set(Section, "UseVoredovovEntry", 0, 1);
    m_bPlain = p.plain;
    m_bExpandMacros = p.expandMacros;
    m_bWideOperatorSpacing = p.wideOperatorSpacing;
    m_bScientificNotation = p.scientificNotation;
    m_bBackslashSubscripts = p.backslashSubscripts;
    m_bMatrices = p.matrices;
    m_bParseQuotes = p.parseQuotes;
    m_bPlusMinusSign = p.plusMinusSign;
    m_bLetterODegree = p.letterODegree;
    m_bBackquoteDegree = p.backquoteDegree;
    m_bTabs = p.tabs;
    m_bRebuildDictionaries = p.rebuildDictionaries;
    if (preset == KTEPresetGeneral)
        m_bBracketColumns = 1;
    if (preset == KTEPresetGraphing || preset == KTEPresetPlain) {
        m_shrinkNonAlgebraicFractions.m_value = 0;
        KTLogFont font;
        font.m_size = 300;
        m_font.m_value = font;
    }

    const char* units = "";
    const char* macros = "";
    switch (preset) {
    case KTEPresetGeneral:
        SpacedSymbolList = ">=,179,<=,163,<>,185,!=,185,=/,185,=~,64,->,174,=>,222,<=>,219,/ ,184,~=,64,"
                           "~~,187,-=,186,prop,181";
        SymbolList = "tri,D,ang,208,inf,165,perp,^,and,199,or,200,element,206,notelement,207,notsubset,"
                     "203,propersubset,205,subset,204,tf,92,pd,182,@,182";
        GreekList = "pi,112,th,113,al,97,be,98,ch,99,de,100,ph,102,ga,103,la,108,mu,109,rh,114,SI,S,om,"
                    "119,OM,87,si,115,DE,D";
        units = "cm,km,mm,L,mL,cL,kL,ML,mg,kg";
        FunctionList = "sin,cos,tan,asin,acos,atan,sec,cosec,cot,cosh,sinh,tanh,ln,log,abs,arg,cis,mod";
        InverseFunctionList = "sin-1,cos-1,tan-1";
        ReplacementList = Replacements;
        ModifierList = "::,:,^^,_";
        LargeOperatorList = "int,sigma,product,lim";
        macros = "qf%x=(-b+-sr(b2-4ac))/2a%pv7%3.1415927%pv20%3.14159265358979323846%";
        break;
    case KTEPresetScience:
        SpacedSymbolList = ">=,179,<=,163,!=,185,=/,185,=~,64,->,174,=>,222,<=>,219,/ ,184,~=,64,~~,187,"
                           "-=,186,prop,181";
        SymbolList = "+-,177,tri,D,inf,165,perp,^,para,2,and,199,or,200,element,206,notelement,207,"
                     "notsubset,203,propersubset,205,subset,204,tf,92,^^,173,nabla,209,pd,182,@,182";
        GreekList = ScienceGreek;
        units = "m,cm,km,mm,L,mL,cL,kL,ML,s,h,g,mg,kg";
        FunctionList = "sin,cos,tan,asin,acos,atan,sec,cosec,cot,cosh,sinh,tanh,ln,log,abs,arg";
        InverseFunctionList = "sin-1,cos-1,tan-1";
        ReplacementList = CString(Replacements) + ",ang,197";
        ModifierList = "::,:,^^,_";
        LargeOperatorList = "int,sigma,product,lim";
        macros = "#G%6.67E-11%#h%6.63E-34%#mp%1.67E-27%#mn%1.67E-27%#me%9.11E-31%#Avo%6.02E23";
        break;
    case KTEPresetStatistics:
        SpacedSymbolList = ">=,179,<=,163,!=,185,=/,185,=~,64,=>,174,equ,222,/ ,184,~=,64,~~,187,-=,186,"
                           "prop,181";
        SymbolList = "+-,177,tri,D,ang,208,inf,165,perp,^,para,2,and,199,or,200,element,206,subset,204,"
                     "tf,92,^^,173,nabla,209,pd,182,@,182";
        GreekList = ScienceGreek;
        FunctionList =
            "sin,cos,tan,asin,acos,atan,sec,cosec,cot,cosh,sinh,tanh,ln,log,exp,abs,arg,normal,fisher,"
            "rank,standardize,zscore,inc,rand,normp,normq,normpdf,randbetween,standardise,mpa,sort,sorta,"
            "sortd,deviation,freqtable,randnormal,round,sortcol,sortcola,sortcold,rank,ranka,rankd,"
            "percentile,stanine,decile,cumfreqtable,group,groupn,groupw,groupe,randbinomial,"
            "randbernoulli,randhypergeometric,randgeometric,randnegbinomial,predictx,predicty,residualx,"
            "residualy,residual,predict,seasonalise,row,fibonacci,tribonacci,triangular";
        InverseFunctionList = "sin-1,cos-1,tan-1";
        ReplacementList = Replacements;
        ModifierList = "::,:,^^,_";
        LargeOperatorList = "";
        break;
    case KTEPresetGraphing:
        SpacedSymbolList = ">=,179,<=,163,<>,185,!=,185,=/,185";
        SymbolList = "+-,177";
        GreekList = "pi,112,th,113";
        FunctionList =
            "sin,cos,tan,asin,acos,atan,sec,cosec,cot,cosh,sinh,tanh,ln,log,abs,arg,normal,exp,gint";
        InverseFunctionList = "sin-1,cos-1,tan-1";
        ReplacementList = Replacements;
        ModifierList = "";
        LargeOperatorList = "int";
        break;
    default: // KTEPresetPlain
        SpacedSymbolList = "";
        SymbolList = "";
        GreekList = "pi,112";
        FunctionList = "";
        InverseFunctionList = "";
        ReplacementList = "";
        ModifierList = "";
        LargeOperatorList = "";
        break;
    }
    m_unitsList.Set(Section, "UnitsList", 0, units, -1);
    m_macroList.Set(Section, "MacroList", 0, macros, -1);
}

void KTEOptions::DefineLocaleTexts()
{
    const char decimal = KTLocale::DecimalSeparator();
    m_decimalPoint.Set(Section, "DecimalPoint", 0, decimal);
    m_separator.Set(Section, "Separator", 0, decimal == '.' ? ',' : ';');
}

void KTEOptions::DefineStyleOptions()
{
    m_tabWidth.Set(Section, "TabWidth", 0, 1000, IntMin, IntMax);
    m_verticalSpacing.Set(Section, "VerticalSpacing", 0, 1000, IntMin, IntMax);
    m_raiseDecimal.Set(Section, "RaiseDecimal", 0, 0);
    m_functionsItalic.Set(Section, "FunctionsItalic", 0, 0);
    m_functionsBold.Set(Section, "FunctionsBold", 0, 0);
    m_variablesItalic.Set(Section, "VariablesItalic", 0, 1);
    m_variablesBold.Set(Section, "VariablesBold", 0, 0);
    m_greekItalic.Set(Section, "GreekItalic", 0, 0);
    m_greekBold.Set(Section, "GreekBold", 0, 0);
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        const bool on = letter == 'I' || letter == 'J' || letter == 'K' || letter == 'R';
        m_letters[i].Set(Section, CString("Letters") + letter, 0, on);
    }
    m_usePhiVariant.Set(Section, "UsePhiVariant", 0, 0);
    m_useSigmaVariant.Set(Section, "UseSigmaVariant", 0, 0);
    m_useThetaVariant.Set(Section, "UseThetaVariant", 0, 0);
    m_useUpsilonVariant.Set(Section, "UseUpsilonVariant", 0, 0);
}

void KTEOptions::Serialize(KTArchive& ar)
{
    WORD version = 1;
    if (ar.IsStoring())
        ar.WriteBeginTag("KTEOptions", version);
    else if (!ar.ReadBeginTag("KTEOptions", version) || version < 1)
        return;
    m_decimalPoint.Serialize(ar);
    m_separator.Serialize(ar);
    m_lowerCase.Serialize(ar);
    m_displayVect.Serialize(ar);
    m_doubleCaps.Serialize(ar);
    m_tabWidth.Serialize(ar);
    m_verticalSpacing.Serialize(ar);
    m_raiseDecimal.Serialize(ar);
    m_detectColumnVectors.Serialize(ar);
    m_functionsItalic.Serialize(ar);
    m_functionsBold.Serialize(ar);
    m_variablesItalic.Serialize(ar);
    m_variablesBold.Serialize(ar);
    m_greekItalic.Serialize(ar);
    m_greekBold.Serialize(ar);
    for (KTOptionBool& letter : m_letters)
        letter.Serialize(ar);
    m_font.Serialize(ar);
    m_usePhiVariant.Serialize(ar);
    m_useSigmaVariant.Serialize(ar);
    m_useThetaVariant.Serialize(ar);
    m_useUpsilonVariant.Serialize(ar);
    m_powerRaise.Serialize(ar);
    m_fractionGap.Serialize(ar);
    m_sqrtGap.Serialize(ar);
    m_sqrtThickness1.Serialize(ar);
    m_sqrtThickness2.Serialize(ar);
    m_multiplyStyle.Serialize(ar);
    m_fracLevelMax.Serialize(ar);
    m_powerLevelMax.Serialize(ar);
    m_fracLevelRatio.Serialize(ar);
    m_powerLevelRatio.Serialize(ar);
    m_vectorArrowSize.Serialize(ar);
    m_generalPen.Serialize(ar);
    m_integralStyle.Serialize(ar);
    m_useVoredovovEntry.Serialize(ar);
    m_useIndicatedVectors.Serialize(ar);
    m_useAutomaticVectors.Serialize(ar);
    m_useOneFont.Serialize(ar);
    m_unitsBold.Serialize(ar);
    m_unitsItalic.Serialize(ar);
    m_quoteBold.Serialize(ar);
    m_quoteItalic.Serialize(ar);
    m_unitsFont.Serialize(ar);
    m_quoteFont.Serialize(ar);
    m_functionFont.Serialize(ar);
    m_vectorFont.Serialize(ar);
    m_greekColor.Serialize(ar);
    m_variableColor.Serialize(ar);
    m_functionColor.Serialize(ar);
    m_unitColor.Serialize(ar);
    m_quoteColor.Serialize(ar);
    m_vectorColor.Serialize(ar);
    m_unitsList.Serialize(ar);
    m_macroList.Serialize(ar);
    m_shrinkNonAlgebraicFractions.Serialize(ar);
    m_expandSubtract.Serialize(ar);
    m_negativeNumberStyle.Serialize(ar);
    m_matrixVerticalSpacing.Serialize(ar);
    m_matrixHorizontalSpacing.Serialize(ar);
    m_matrixAlign.Serialize(ar);
    m_useWordFont.Serialize(ar);
    if (ar.IsStoring())
        ar.WriteEndTag("KTEOptions");
    else
        ar.ReadEndTag("KTEOptions");
}
