#include "axes/KTOptionPOI.h"

#include "axes/KTMarker.h"
#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"
#include "platform/KTLocale.h"

namespace {

constexpr const char* kSection = "Point Of Interest";
constexpr const char* kTag = "KTOptionPOI";
constexpr WORD kVersion = 1;

struct EntryKeys
{
    const char* name;
    const char* decimals;
    int defaultDecimals;
};

// "DPInterSect" is spelt with a capital S in the stored files.
constexpr EntryKeys kKeys[KTOptionPOI::EntryCount] = {
    {"yInt", "DPyInt", 8},           {"xInt", "DPxInt", 6},
    {"HInflect", "DPHInflect", 4},   {"LocalMax", "DPLocalMax", 4},
    {"LocalMin", "DPLocalMin", 4},   {"Intersect", "DPInterSect", 6},
    {"VInflect", "DPVInflect", 4},   {"PInflect", "DPPInflect", 3},
    {"PolarTurn", "DPPolarTurn", 3}, {"PointDiscont", "DPPointDiscont", 4},
    {"HAsym", "DPHAsym", 4},         {"VAsym", "DPVAsym", 4},
};

// Windows-1252 texts, with octal escapes (at most three digits) for the accented letters.
constexpr const char* kSwedish[KTOptionPOI::EntryCount] = {
    "Sk\344rning med y-axeln", "Sk\344rning med x-axeln", "Terasspunkt",          "Lokalt maximum",
    "Lokalt minimum",          "Sk\344rningspunkt",       "Vertikal terasspunkt", "Inflexionspunkt",
    "Pol\344r v\344ndpunkt",   "Diskontinuitetspunkt",    "Horisontell asymptot", "Vertikal asymptot",
};

constexpr const char* kItalian[KTOptionPOI::EntryCount] = {
    "Intercetta y",
    "Intercetta x",
    "Punto di flesso orizzontale",
    "Massimo relativo",
    "Minimo relativo",
    "Punto di intersezione",
    "Punto di flesso verticale",
    "Punto di flesso",
    "Punto rotazione polare",
    "Punto di discontinuit\340",
    "Asintoto orizzontale",
    "Asintoto verticale",
};

constexpr const char* kFinnish[KTOptionPOI::EntryCount] = {
    "y-akselin leikkauspiste", "x-akselin leikkauspiste", "K\344\344nnepiste ja derivaatan nollakohta",
    "Paikallinen maksimi",     "Paikallinen minimi",      "Leikkauspiste",
    "K\344\344nnepiste",       "K\344\344nnepiste",       "Polaarinen k\344\344nnepiste",
    "Ep\344jatkuvuuskohta",    "Vaakasuora asymptootti",  "Pystysuora asymptootti",
};

constexpr const char* kDutch[KTOptionPOI::EntryCount] = {
    "Snijpunt Y-as",   "Snijpunt X-as",      "Horizontaal buigpunt",  "Lokaal Maximum",
    "Lokaal Minimum",  "Snijpunt",           "Vertikaal buigpunt",    "Buigpunt",
    "Polair Keerpunt", "Discontinu\357teit", "Horizontale Asymptoot", "Vertikale Asymptoot",
};

constexpr const char* kEnglish[KTOptionPOI::EntryCount] = {
    "y Intercept",         "x Intercept",           "Point of Horizontal Inflection", "Local Maximum",
    "Local Minimum",       "Point of Intersection", "Point of Vertical Inflection",   "Point of Inflection",
    "Polar Turning Point", "Point Discontinuity",   "Horizontal Asymptote",           "Vertical Asymptote",
};

const char* const* NamesForCountry(int country)
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

/// The entry that names a marker kind, or -1 for kinds without a configured name.
int EntryForKind(int kind)
{
    switch (kind) {
    case KTMarkerYIntercept: return KTPOIyInt;
    case KTMarkerXIntercept:
    case KTMarkerSwappedXIntercept: return KTPOIxInt;
    case KTMarkerHorizontalInflection: return KTPOIHInflect;
    case KTMarkerLocalMaximum: return KTPOILocalMax;
    case KTMarkerLocalMinimum: return KTPOILocalMin;
    case KTMarkerIntersection: return KTPOIIntersect;
    case KTMarkerVerticalInflection: return KTPOIVInflect;
    case KTMarkerInflection: return KTPOIPInflect;
    case KTMarkerPolarTurningPoint: return KTPOIPolarTurn;
    case KTMarkerVerticalAsymptote: return KTPOIVAsym;
    case KTMarkerHorizontalAsymptote: return KTPOIHAsym;
    case KTMarkerPointDiscontinuity: return KTPOIPointDiscont;
    default: return -1;
    }
}

CString FormatCoordinate(double value, int decimals)
{
    KTNumberFormat format;
    format.m_bShowSign = false;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    return format.Format(value, decimals);
}

} // namespace

KTOptionPOI::KTOptionPOI()
{
    SetDefaults();
}

void KTOptionPOI::SetDefaults()
{
    const char* const* names = NamesForCountry(KTLocale::CountryCode());
    for (int i = 0; i < EntryCount; ++i)
        m_name[static_cast<std::size_t>(i)].Set(kSection, kKeys[i].name, 1, names[i], -1);
    for (int i = 0; i < EntryCount; ++i)
        m_decimals[static_cast<std::size_t>(i)].Set(kSection, kKeys[i].decimals, 1, kKeys[i].defaultDecimals,
                                                    0, 10);
}

void KTOptionPOI::LoadSettings(KTOptionStore& store)
{
    store.Load();
    for (std::size_t i = 0; i < EntryCount; ++i) {
        m_name[i].ReadProfile(store);
        m_decimals[i].ReadProfile(store);
    }
}

void KTOptionPOI::SaveSettings(KTIniFile& store, bool writeDefaults)
{
    for (std::size_t i = 0; i < EntryCount; ++i) {
        m_name[i].WriteProfile(store, writeDefaults);
        m_decimals[i].WriteProfile(store, writeDefaults);
    }
}

void KTOptionPOI::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        for (std::size_t i = 0; i < EntryCount; ++i) {
            m_name[i].Serialize(ar);
            m_decimals[i].Serialize(ar);
        }
        ar.WriteEndTag(kTag);
        return;
    }
    WORD version = 0;
    if (!ar.ReadBeginTag(kTag, version) || version < 1)
        return;
    for (std::size_t i = 0; i < EntryCount; ++i) {
        m_name[i].Serialize(ar);
        m_decimals[i].Serialize(ar);
    }
    ar.ReadEndTag(kTag);
}

int KTOptionPOI::Decimals(KTPOIEntry entry) const
{
    const KTOptionInt& option = m_decimals.at(static_cast<std::size_t>(entry));
    const int value = option.m_value;
    if (value < option.GetMinimum() || value > option.GetMaximum())
        return (option.GetMinimum() + option.GetMaximum()) / 2;
    return value;
}

CString KTOptionPOI::LabelForKind(const KTMarker& marker) const
{
    switch (marker.m_kind) {
    case KTMarkerHorizontalCandidate: return "Horizontal";
    case KTMarkerNoneFound: return "POI_NONEFOUND";
    case KTMarkerSwappedTurningPoint: return "Turning Point";
    default: break;
    }
    const int entry = EntryForKind(marker.m_kind);
    return entry < 0 ? CString() : m_name[static_cast<std::size_t>(entry)].m_value;
}

CString KTMarker::LabelText(const KTOptionPOI& poi) const
{
    const KTLocaleChars separators;
    const char list = separators.m_chList != 0 ? separators.m_chList : ',';
    const auto pair = [list](double x, double y, int decimals) {
        return "( " + FormatCoordinate(x, decimals) + " " + list + " " + FormatCoordinate(y, decimals) + " )";
    };

    switch (static_cast<int>(m_kind)) {
    case KTMarkerHorizontalCandidate:
    case KTMarkerNoneFound:
    case 21:
    case 22: return pair(m_point.m_x, m_point.m_y, 6);
    case 13: return pair(m_point.m_x, m_point.m_y, 8);
    case KTMarkerVerticalAsymptote: return "x = " + FormatCoordinate(m_point.m_x, poi.Decimals(KTPOIVAsym));
    case KTMarkerHorizontalAsymptote: return "y = " + FormatCoordinate(m_point.m_y, poi.Decimals(KTPOIHAsym));
    case KTMarkerSwappedTurningPoint:
    case KTMarkerDiscontinuityCandidate: return CString();
    default: break;
    }
    const int entry = EntryForKind(m_kind);
    if (entry < 0)
        return CString();
    return pair(m_point.m_x, m_point.m_y, poi.Decimals(static_cast<KTPOIEntry>(entry)));
}
