#include "foundation/KTFileVersion.h"

#include "foundation/KTVersionInfo.h"

#include <cstring>
#include <filesystem>

namespace {

std::filesystem::path ProgramFile()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

bool IsProgramFile(const char* path)
{
    const auto program = ProgramFile();
    if (program.empty())
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(path, program, ec) && !ec;
}

/// The version block the running program carries: the fixed information, then one translation,
/// US English in Windows-1252.
constexpr std::size_t BlockSize = sizeof(VS_FIXEDFILEINFO) + 2 * sizeof(WORD);

void FillProgramBlock(BYTE* block)
{
    VS_FIXEDFILEINFO info{};
    info.dwSignature = KTFileVersion::Signature;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = (DWORD(KT_VERSION_MAJOR) << 16) | DWORD(KT_VERSION_MINOR);
    info.dwFileVersionLS = (DWORD(KT_VERSION_PATCH) << 16) | DWORD(KT_VERSION_TWEAK);
    info.dwProductVersionMS = info.dwFileVersionMS;
    info.dwProductVersionLS = info.dwFileVersionLS;
    info.dwFileFlagsMask = 0x3F;
    info.dwFileType = 1; // an application
    std::memcpy(block, &info, sizeof info);
    const WORD translation[2] = {0x0409, 1252};
    std::memcpy(block + sizeof info, translation, sizeof translation);
}

int ProgramMarker;

} // namespace

KTFileVersion::KTFileVersion() = default;

KTFileVersion::~KTFileVersion()
{
    Clear();
}

void KTFileVersion::Clear()
{
    m_fixedInfo = VS_FIXEDFILEINFO{};
    m_data.reset();
    m_translations = nullptr;
    m_translationCount = 0;
    m_valid = false;
}

bool KTFileVersion::Read(const char* path)
{
    Clear();
    if (!path || !IsProgramFile(path))
        return false;

    m_data = std::make_unique<BYTE[]>(BlockSize);
    FillProgramBlock(m_data.get());
    std::memcpy(&m_fixedInfo, m_data.get(), sizeof m_fixedInfo);
    m_valid = m_fixedInfo.dwSignature == Signature;
    if (m_valid) {
        m_translations = m_data.get() + sizeof(VS_FIXEDFILEINFO);
        m_translationCount = static_cast<int>((BlockSize - sizeof(VS_FIXEDFILEINFO)) / 4);
    }
    if (!m_valid || !m_translations) {
        Clear();
        return false;
    }
    return true;
}

bool KTFileVersion::ReadModule(HMODULE module)
{
    const auto program = ProgramFile();
    if (!module || module != ProgramModule() || program.empty()) {
        Clear();
        return false;
    }
    return Read(program.c_str());
}

HMODULE KTFileVersion::ProgramModule()
{
    return &ProgramMarker;
}

DWORD KTFileVersion::GetTranslation(int index) const
{
    if (index < 0 || index >= m_translationCount || !m_translations)
        return 0;
    WORD pair[2];
    std::memcpy(pair, m_translations + 4 * index, sizeof pair);
    return DWORD(pair[0]) | (DWORD(pair[1]) << 16);
}
