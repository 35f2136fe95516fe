#include "graph/KTOptionGraph3.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTNestedRecord.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"
#include "platform/KTLocale.h"

namespace {

const KTRegisterRuntimeClass<KTOptionGraph3> registration("KTOptionGraph3", 0);

constexpr const char* kTag = "KTOptionGraph3";
constexpr WORD kVersion = 3;
constexpr const char* kGraph = "Graph";
constexpr const char* kMessage = "Message";

/// The words of the graph's short labels in one language (Windows-1252).
struct KTGraphMessages
{
    const char* yAxis;
    const char* area;
    const char* deriv1;
    const char* deriv2;
    const char* rightClick;
    const char* negativeArm;
    const char* positiveArm;
};

constexpr KTGraphMessages kSwedish = {" (y-axeln)",
                                      "Area  =  ",
                                      "Derivatan av",
                                      "Andraderivatan av",
                                      "H\366gerklicka f\366r att redigera",
                                      " (Negativ Arm)",
                                      " (Positiv Arm)"};
constexpr KTGraphMessages kItalian = {"(Asse y)",
                                      "Area  =  ",
                                      "Derivata prima di",
                                      "Derivata seconda di",
                                      "Click col tasto destro per modificare",
                                      " (ramo negativo)",
                                      " (ramo positivo)"};
constexpr KTGraphMessages kFinnish = {" (y-akseli)",
                                      "Ala = ",
                                      "1. derivaatta funktiolle",
                                      "2. derivaatta funktiolle",
                                      "Editointiin hiiren oikealla painikkeella",
                                      " (Miinusmerkill\344)",
                                      " (Plusmerkill\344)"};
constexpr KTGraphMessages kDutch = {" (Y-as)",
                                    "Oppervlakte = ",
                                    "1ste Afgeleide van",
                                    "2de Afgeleide van",
                                    "Opmaak met Rechtermuisknop",
                                    " (Negatief Deel)",
                                    " (Positief Deel)"};
constexpr KTGraphMessages kEnglish = {" (y Axis)",         "Area  =  ",           "1st Derivative of",
                                      "2nd Derivative of", "Right Click to Edit", " (Negative Arm)",
                                      " (Positive Arm)"};

const KTGraphMessages& MessagesForCountry(int country)
{
    switch (country) {
    case 46: return kSwedish;
    case 39: return kItalian;
    case 358: return kFinnish;
    case 31:
    case 32: return kDutch;
    default: return kEnglish;
    }
}

} // namespace

bool KTOptionGraph3::IsDefaultRightClickText(const CString& text)
{
    for (const KTGraphMessages* words : {&kSwedish, &kItalian, &kFinnish, &kDutch, &kEnglish})
        if (text == words->rightClick)
            return true;
    return false;
}

KTOptionGraph3::KTOptionGraph3()
{
    SetDefaults();
}

void KTOptionGraph3::SetDefaults()
{
    m_autoScale.Set(kGraph, "AutoScale", 0, 0);
    m_axes.SetDefaults();
    for (int i = 0; i < FunctionCount; ++i)
        m_functions[static_cast<std::size_t>(i)].SetDefaults(i);
    m_annotation.SetDefaults();
    m_derivative.SetDefaults();
    m_integral.SetDefaults();
    m_frAgree.Set(kGraph, "FRAgree", 0, 1);
    m_frOnly.Set(kGraph, "FROnly", 0, 1);
    m_frBrush.Set(kGraph, "FRBrush", 0, KTLogBrush(KTBrushKindNumber, 1, RGB(200, 200, 200), 0));
    m_frDivisions.Set(kGraph, "FRDivisions", 0, 200, 50, 500);
    m_frSolid.Set(kGraph, "FRSolid", 0, 1);
    m_replacePlusMinusOnDisplay.Set(kGraph, "ReplacePlusMinusOnDisplay", 0, 1);
    m_rightClickOnAxes.Set(kGraph, "RightClickOnAxes", 0, 1);
    m_frPixel.Set(kGraph, "FRPixel", 0, RGB(50, 50, 50));
    m_allowPreferenceChanges.Set(kGraph, "AllowPreferenceChanges", 0, 1);
    m_poi.SetDefaults();

    const KTGraphMessages& words = MessagesForCountry(KTLocale::CountryCode());
    m_msgyAxis.Set(kMessage, "MsgyAxis", 1, words.yAxis, -1);
    m_msgArea.Set(kMessage, "MsgArea", 1, words.area, -1);
    m_msgDeriv1.Set(kMessage, "MsgDeriv1", 1, words.deriv1, -1);
    m_msgDeriv2.Set(kMessage, "MsgDeriv2", 1, words.deriv2, -1);
    m_msgRightClick.Set(kMessage, "MsgRightClick", 1, words.rightClick, -1);
    m_msgNegativeArm.Set(kMessage, "MsgNegativeArm", 1, words.negativeArm, -1);
    m_msgPositiveArm.Set(kMessage, "MsgPositiveArm", 1, words.positiveArm, -1);
    m_dpArea.Set(kMessage, "DPArea", 1, 4, 0, 10);
}

void KTOptionGraph3::LoadSettings(KTOptionStore& store)
{
    store.Load();
    m_autoScale.ReadProfile(store);
    m_axes.LoadSettings(store);
    for (KTOptionFunction3& function : m_functions)
        function.ReadProfile(store);
    m_annotation.LoadSettings(store);
    m_derivative.LoadSettings(store);
    m_integral.LoadSettings(store);
    m_frOnly.ReadProfile(store);
    m_frAgree.ReadProfile(store);
    m_frBrush.ReadProfile(store);
    m_frDivisions.ReadProfile(store);
    m_frSolid.ReadProfile(store);
    m_replacePlusMinusOnDisplay.ReadProfile(store);
    m_rightClickOnAxes.ReadProfile(store);
    m_frPixel.ReadProfile(store);
    m_allowPreferenceChanges.ReadProfile(store);
    m_poi.LoadSettings(store);
    m_msgyAxis.ReadProfile(store);
    m_msgArea.ReadProfile(store);
    m_msgDeriv1.ReadProfile(store);
    m_msgDeriv2.ReadProfile(store);
    m_msgRightClick.ReadProfile(store);
    m_msgNegativeArm.ReadProfile(store);
    m_msgPositiveArm.ReadProfile(store);
    m_dpArea.ReadProfile(store);
}

void KTOptionGraph3::SaveSettings(KTOptionStore& store, bool writeDefaults)
{
    m_autoScale.WriteProfile(store, writeDefaults);
    m_axes.SaveSettings(store, writeDefaults);
    for (KTOptionFunction3& function : m_functions)
        function.WriteProfile(store, writeDefaults);
    m_annotation.SaveSettings(store, writeDefaults);
    m_derivative.SaveSettings(store, writeDefaults);
    m_integral.SaveSettings(store, writeDefaults);
    m_frOnly.WriteProfile(store, writeDefaults);
    m_frAgree.WriteProfile(store, writeDefaults);
    m_frBrush.WriteProfile(store, writeDefaults);
    m_frDivisions.WriteProfile(store, writeDefaults);
    m_frSolid.WriteProfile(store, writeDefaults);
    m_replacePlusMinusOnDisplay.WriteProfile(store, writeDefaults);
    m_rightClickOnAxes.WriteProfile(store, writeDefaults);
    m_frPixel.WriteProfile(store, writeDefaults);
    m_allowPreferenceChanges.WriteProfile(store, writeDefaults);
    m_poi.SaveSettings(store, writeDefaults);
    m_msgyAxis.WriteProfile(store, writeDefaults);
    m_msgArea.WriteProfile(store, writeDefaults);
    m_msgDeriv1.WriteProfile(store, writeDefaults);
    m_msgDeriv2.WriteProfile(store, writeDefaults);
    m_msgRightClick.WriteProfile(store, writeDefaults);
    m_msgNegativeArm.WriteProfile(store, writeDefaults);
    m_msgPositiveArm.WriteProfile(store, writeDefaults);
    m_dpArea.WriteProfile(store, writeDefaults);
}

void KTOptionGraph3::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        SerializeBody(ar);
        ar.WriteEndTag(kTag);
        return;
    }
    KTReadRecordBegin(ar, kTag, kVersion);
    // Read into a copy so that a record that fails half way leaves this one as it was.
    KTOptionGraph3 loaded(*this);
    loaded.SerializeBody(ar);
    KTReadRecordEnd(ar, kTag);
    *this = loaded;
}

void KTOptionGraph3::SerializeBody(KTArchive& ar)
{
    m_autoScale.Serialize(ar);
    KTSerializeNested(ar, m_axes, "KTOptionAxes2", 2);
    for (KTOptionFunction3& function : m_functions)
        KTSerializeNested(ar, function, "KTOptionFunction3", 3);
    KTSerializeNested(ar, m_annotation, "KTOptionsAnnotation", 1);
    KTSerializeNested(ar, m_derivative, "KTOptionDerivative", 1);
    KTSerializeNested(ar, m_integral, "KTOptionIntegral", 1);
    m_frOnly.Serialize(ar);
    m_frAgree.Serialize(ar);
    m_frBrush.Serialize(ar);
    m_frDivisions.Serialize(ar);
    m_frSolid.Serialize(ar);
    m_frPixel.Serialize(ar);
    m_replacePlusMinusOnDisplay.Serialize(ar);
    m_rightClickOnAxes.Serialize(ar);
    m_allowPreferenceChanges.Serialize(ar);
    KTSerializeNested(ar, m_poi, "KTOptionPOI", 1);
    m_msgyAxis.Serialize(ar);
    m_msgArea.Serialize(ar);
    m_msgDeriv1.Serialize(ar);
    m_msgDeriv2.Serialize(ar);
    m_msgRightClick.Serialize(ar);
    m_msgNegativeArm.Serialize(ar);
    m_msgPositiveArm.Serialize(ar);
    m_dpArea.Serialize(ar);
}
