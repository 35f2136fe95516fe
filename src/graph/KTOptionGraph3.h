#pragma once
// Every display and behaviour option of one graph: the axes, the ten user functions' display
// options, the defaults of new annotations, tangents and integrals, the feasible-region
// settings, the point-of-interest labels and the words of the graph's short labels. Each graph's
// data owns one; the application holds one more as the defaults of new documents.

#include "engine/KTOptionFunction3.h"
#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionColor.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionKTLogBrush.h"
#include "foundation/KTOptionString.h"
#include "axes/KTOptionAxes2.h"
#include "graph/KTOptionDerivative.h"
#include "graph/KTOptionIntegral.h"
#include "axes/KTOptionPOI.h"
#include "graph/KTOptionsAnnotation.h"
#include "platform/KTObject.h"

#include <array>

class KTOptionStore;

class KTOptionGraph3 : public KTObject
{
public:
    static constexpr int FunctionCount = KTOptionFunction3::SlotCount;

    /// Every member defined with its default (SetDefaults).
    KTOptionGraph3();
    KTOptionGraph3(const KTOptionGraph3&) = default;
    /// Copies every member whole (typed options with key, section, flag, value, default, stored
    /// copy and range; nested records by their own assignment).
    KTOptionGraph3& operator=(const KTOptionGraph3&) = default;

    /// Factory defaults of every member; the seven message texts in the language of the user's
    /// country (Swedish 46, Italian 39, Finnish 358, Dutch 31 and 32, else English).
    void SetDefaults();
    /// True when the text is the "MsgRightClick" default of one of the languages, exactly: the
    /// placeholder a new annotation was given, whatever the language it was made in.
    static bool IsDefaultRightClickText(const CString& text);
    /// Reloads the store's file, then reads every entry; the nested records of the derivative
    /// and integral defaults reload it again before their own keys. Missing keys keep defaults.
    void LoadSettings(KTOptionStore& store);
    /// Writes every entry into the store's document in the same order as LoadSettings (the
    /// defaults instead of the values when writeDefaults is set); the caller saves the file.
    void SaveSettings(KTOptionStore& store, bool writeDefaults);
    /// Tag "KTOptionGraph3", version 3; values only, nested records with their own tags. The
    /// archive order of FRPixel, RightClickOnAxes and AllowPreferenceChanges differs from the
    /// settings order. A wrong tag or version here or in a nested record throws KTExceptionBase
    /// and a short archive KTArchiveException; a failed read changes nothing.
    void Serialize(KTArchive& ar) override;

    // Members in declaration order.
    KTOptionBool m_autoScale; ///< "AutoScale": fit the axes to the data extents
    std::array<KTOptionFunction3, FunctionCount> m_functions;
    KTOptionAxes2 m_axes;
    KTOptionsAnnotation m_annotation;
    KTOptionDerivative m_derivative;
    KTOptionIntegral m_integral;
    KTOptionBool m_frOnly;                    ///< "FROnly": only the region every inequality allows
    KTOptionBool m_frAgree;                   ///< "FRAgree": inequality dots in agreement mode
    KTOptionKTLogBrush m_frBrush;             ///< "FRBrush": fill of a solid feasible region
    KTOptionInt m_frDivisions;                ///< "FRDivisions" 50..500: dot grid steps
    KTOptionBool m_frSolid;                   ///< "FRSolid": a solid polygon where possible
    KTOptionColor m_frPixel;                  ///< "FRPixel": colour of a region dot
    KTOptionBool m_replacePlusMinusOnDisplay; ///< "ReplacePlusMinusOnDisplay"
    KTOptionBool m_allowPreferenceChanges;    ///< "AllowPreferenceChanges"
    KTOptionBool m_rightClickOnAxes;          ///< "RightClickOnAxes"
    KTOptionPOI m_poi;
    KTOptionString m_msgArea;        ///< "MsgArea": precedes an integral's area
    KTOptionInt m_dpArea;            ///< "DPArea" 0..10: decimals of the area
    KTOptionString m_msgyAxis;       ///< "MsgyAxis": names the y axis in an integral's label
    KTOptionString m_msgDeriv1;      ///< "MsgDeriv1"
    KTOptionString m_msgDeriv2;      ///< "MsgDeriv2"
    KTOptionString m_msgRightClick;  ///< "MsgRightClick"
    KTOptionString m_msgNegativeArm; ///< "MsgNegativeArm"
    KTOptionString m_msgPositiveArm; ///< "MsgPositiveArm"

private:
    void SerializeBody(KTArchive& ar);
};
