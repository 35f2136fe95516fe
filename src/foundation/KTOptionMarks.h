#pragma once
// Four integer settings that the point-marker painter uses as its cache of marker sizes in
// device pixels (-1: not measured yet). Held by every function's display options and by the
// axes options. Only their defaults ever reach the settings file.

#include "foundation/KTOptionInt.h"
#include "platform/KTObject.h"

#include <array>

class KTIniFile;

class KTOptionMarks : public KTObject
{
public:
    static constexpr int Count = 4;

    /// Builds the four options and defines them (SetDefaults).
    KTOptionMarks();
    KTOptionMarks(const KTOptionMarks&) = default;
    KTOptionMarks& operator=(const KTOptionMarks&) = default;

    /// Section "KTOptionMarks", keys "Mark1", "Mark2", "Mark2", "Mark2" (the last three share one
    /// entry of the store), default -1, range -32768..32767, flag clear.
    void SetDefaults();
    /// Reads the four values from the document in memory; does not reload the file.
    void LoadSettings(KTIniFile& store);
    /// Writes each option's default (-1) whatever useDefaults says: the cached sizes belong to
    /// one screen and are measured again after every start.
    void SaveSettings(KTIniFile& store, bool useDefaults);
    /// Tag "KTOptionMarks", version 1, the four values as int32. Loading reads the values only
    /// when the tag matches and the version is at least 1.
    void Serialize(KTArchive& ar) override;

    std::array<KTOptionInt, Count> m_mark;
};
