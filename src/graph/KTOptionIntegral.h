#pragma once
// The look of new integrals: the shading brush and whether an area that differs from the
// integral is labelled. Settings section "Integral".

#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionKTLogBrush.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTIniFile;
class KTOptionStore;

class KTOptionIntegral : public KTObject
{
public:
    /// Defines the options (SetDefaults); m_modified 0.
    KTOptionIntegral();
    KTOptionIntegral(const KTOptionIntegral&) = default;
    KTOptionIntegral& operator=(const KTOptionIntegral&) = default;

    /// "Brush": kind 0, brush number 1 (solid), colour 0xC8C8C8; "ShowArea": true. Flags clear.
    void SetDefaults();
    /// Reloads the store's file, then reads "Brush" and "ShowArea".
    void LoadSettings(KTOptionStore& store);
    /// Writes "Brush" and "ShowArea" (their defaults when writeDefaults is set).
    void SaveSettings(KTIniFile& store, bool writeDefaults);
    /// Tag "KTOptionIntegral", version 1: the brush record, then ShowArea as one byte. A wrong
    /// tag, version or end tag throws KTExceptionBase; nothing is kept from a failed read.
    void Serialize(KTArchive& ar) override;

    KTOptionKTLogBrush m_brush;
    KTOptionBool m_showArea;
    /// Set when the user makes the dialog's choices the default; the caller then saves.
    BYTE m_modified = 0;
};
