#pragma once
// The version of a program file. ELF files carry no version resource: the running program's own
// version comes from the build, and any other file reads as one without version information.
// Each caller owns its object, so the update check's worker thread may use one of its own.

#include "platform/KTGdiTypes.h"

#include <cstdint>
#include <memory>

/// The fixed version information, 52 bytes in the published order. Each version's first word
/// holds major (high 16 bits) and minor (low 16 bits), its second build and revision.
struct VS_FIXEDFILEINFO
{
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

/// A loaded module; only the running program is known.
using HMODULE = const void*;

class KTFileVersion
{
public:
    static constexpr DWORD Signature = 0xFEEF04BD;

    KTFileVersion();
    virtual ~KTFileVersion();
    KTFileVersion(const KTFileVersion&) = delete;
    KTFileVersion& operator=(const KTFileVersion&) = delete;

    /// Frees the version data and clears every field.
    void Clear();
    /// True when the fixed information and a translation table were read; else false, cleared.
    bool Read(const char* path);
    /// Read of the module's file; false for a null module.
    bool ReadModule(HMODULE module);
    /// The handle of the running program, for ReadModule.
    static HMODULE ProgramModule();

    const VS_FIXEDFILEINFO& GetFixedInfo() const { return m_fixedInfo; }
    bool IsValid() const { return m_valid; }
    int GetTranslationCount() const { return m_translationCount; }
    /// Language (low 16 bits) and code page (high 16 bits) of translation i; 0 when out of range.
    DWORD GetTranslation(int index) const;

    /// Product version words: major, minor, build, revision.
    WORD ProductMajor() const { return static_cast<WORD>(m_fixedInfo.dwProductVersionMS >> 16); }
    WORD ProductMinor() const { return static_cast<WORD>(m_fixedInfo.dwProductVersionMS & 0xFFFF); }
    WORD ProductBuild() const { return static_cast<WORD>(m_fixedInfo.dwProductVersionLS >> 16); }
    WORD ProductRevision() const { return static_cast<WORD>(m_fixedInfo.dwProductVersionLS & 0xFFFF); }

private:
    VS_FIXEDFILEINFO m_fixedInfo{};
    std::unique_ptr<BYTE[]> m_data;
    /// Pairs of 16-bit language and code page inside m_data.
    const BYTE* m_translations = nullptr;
    int m_translationCount = 0;
    bool m_valid = false;
};
