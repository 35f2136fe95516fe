#pragma once
// The look of new tangent lines: their pen. Settings section "Derivative".

#include "foundation/KTOptionKTLogPen.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTIniFile;
class KTOptionStore;

class KTOptionDerivative : public KTObject
{
public:
    /// Defines the option (SetDefaults); m_modified 0.
    KTOptionDerivative();
    KTOptionDerivative(const KTOptionDerivative&) = default;
    KTOptionDerivative& operator=(const KTOptionDerivative&) = default;

    /// "Pen": kind 1, style 0x10006 (geometric, inside frame), red, 0.25 pt (8.819443875
    /// hundredths of a millimetre). Flag clear.
    void SetDefaults();
    /// Reloads the store's file, then reads "Pen".
    void LoadSettings(KTOptionStore& store);
    /// Writes "Pen" (its default when writeDefaults is set).
    void SaveSettings(KTIniFile& store, bool writeDefaults);
    /// Tag "KTOptionDerivative", version 1: the pen record. A wrong tag, version or end tag
    /// throws KTExceptionBase; nothing is kept from a failed read.
    void Serialize(KTArchive& ar) override;

    KTOptionKTLogPen m_pen;
    /// Set by the Tangent Line dialog's default button; the caller then saves.
    BYTE m_modified = 0;
};
