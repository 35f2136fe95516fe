#pragma once
// Names and decimals of the twelve kinds of point of interest, as labels show them; the
// default names follow the user's country. Also writes the two lines of a marker's label.

#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionString.h"
#include "platform/CString.h"
#include "platform/KTObject.h"

#include <array>

class KTIniFile;
class KTOptionStore;
struct KTMarker;

/// The entries of KTOptionPOI, in their stored order.
enum KTPOIEntry : int {
    KTPOIyInt = 0,
    KTPOIxInt = 1,
    KTPOIHInflect = 2,
    KTPOILocalMax = 3,
    KTPOILocalMin = 4,
    KTPOIIntersect = 5,
    KTPOIVInflect = 6,
    KTPOIPInflect = 7,
    KTPOIPolarTurn = 8,
    KTPOIPointDiscont = 9,
    KTPOIHAsym = 10,
    KTPOIVAsym = 11,
};

class KTOptionPOI : public KTObject
{
public:
    static constexpr int EntryCount = 12;

    /// Defines every option (SetDefaults).
    KTOptionPOI();
    KTOptionPOI(const KTOptionPOI&) = default;
    KTOptionPOI& operator=(const KTOptionPOI&) = default;

    /// Section "Point Of Interest", flag set: the twelve names in the language of the user's
    /// country (Swedish 46, Italian 39, Finnish 358, Dutch 31 and 32, else English), then the
    /// twelve decimal counts (range 0..10).
    void SetDefaults();
    /// Reloads the store's file, then reads name and decimals entry by entry.
    void LoadSettings(KTOptionStore& store);
    /// Writes name and decimals entry by entry (the defaults when writeDefaults is set).
    void SaveSettings(KTIniFile& store, bool writeDefaults);
    /// Tag "KTOptionPOI", version 1; per entry the name, then the decimals as int32.
    void Serialize(KTArchive& ar) override;

    /// The name line of a marker's label: the configured name of its kind, a fixed text for
    /// kinds 3, 5 and 9, empty for every other kind.
    CString LabelForKind(const KTMarker& marker) const;
    /// Decimals of an entry, a stored count outside 0..10 read as 5 (the option's midpoint).
    int Decimals(KTPOIEntry entry) const;

    std::array<KTOptionString, EntryCount> m_name;
    std::array<KTOptionInt, EntryCount> m_decimals;
};
