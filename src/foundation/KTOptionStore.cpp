#include "foundation/KTOptionStore.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CString WithSlash(CString folder)
{
    if (!folder.IsEmpty() && folder.GetAt(folder.GetLength() - 1) != '/')
        folder += '/';
    return folder;
}

/// An environment folder that the XDG rules accept: set, non-empty and absolute.
CString AbsoluteEnvFolder(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return CString();
    return WithSlash(CString(value));
}

CString PerUserConfigRoot()
{
    CString root = AbsoluteEnvFolder("XDG_CONFIG_HOME");
    if (!root.IsEmpty())
        return root;
    const CString home = AbsoluteEnvFolder("HOME");
    return home.IsEmpty() ? CString() : home + ".config/";
}

CString AllUsersConfigRoot()
{
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    if (dirs) {
        const CString list(dirs);
        int start = 0;
        for (;;) {
            const int colon = list.Find(':', start);
            const CString entry = colon < 0 ? list.Mid(start) : list.Mid(start, colon - start);
            if (!entry.IsEmpty() && entry.GetAt(0) == '/')
                return WithSlash(entry);
            if (colon < 0)
                break;
            start = colon + 1;
        }
    }
    return "/etc/xdg/";
}

bool MakeFolder(const CString& folder)
{
    return ::mkdir(folder.c_str(), 0777) == 0 || DirectoryExists(folder);
}

} // namespace

bool DirectoryExists(const CString& folder)
{
    if (folder.IsEmpty())
        return false;
    struct stat status;
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    return ::access(folder.c_str(), X_OK) == 0;
}

CString KTOptionStore::ProgramFolder()
{
    std::error_code ec;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec)
        return CString();
    const CString path(program);
    const int slash = path.ReverseFind('/');
    return slash < 0 ? CString() : path.Left(slash + 1);
}

CString KTOptionStore::ProgramParentFolder()
{
    const CString folder = ProgramFolder();
    if (folder.IsEmpty())
        return CString();
    const CString withoutSlash = folder.Left(folder.GetLength() - 1);
    const int slash = withoutSlash.ReverseFind('/');
    return slash < 0 ? CString() : withoutSlash.Left(slash + 1);
}

CString KTOptionStore::SystemFolder()
{
    return "/etc/";
}

CString KTOptionStore::DataFolderUnder(const CString& perUserRoot, const CString& company, bool allUsers)
{
    CString root = allUsers ? AllUsersConfigRoot() : perUserRoot;
    // A fresh account may not have its configuration root yet; it is the user's to create.
    if (!allUsers && !root.IsEmpty() && !DirectoryExists(root)) {
        std::error_code ec;
        std::filesystem::create_directories(root.c_str(), ec);
    }
    if (!root.IsEmpty() && DirectoryExists(root)) {
        const CString folder = root + company + "/";
        if (DirectoryExists(folder) || MakeFolder(folder))
            return folder;
    }
    const CString system = SystemFolder();
    if (DirectoryExists(system))
        return system;
    return ProgramFolder();
}

CString KTOptionStore::DataFolder(const CString& company, bool allUsers)
{
    return DataFolderUnder(PerUserConfigRoot(), company, allUsers);
}

CString KTOptionStore::UserIniPath(const CString& company, const CString& baseName)
{
    return DataFolder(company, false) + baseName + ".ini";
}

CString KTOptionStore::ProgramIniPath(const CString&, const CString& baseName)
{
    return ProgramFolder() + baseName + ".ini";
}

CString KTOptionStore::WindowsIniPath(const CString&, const CString& baseName)
{
    return SystemFolder() + baseName + ".ini";
}

CString KTOptionStore::AllUsersIniPath(const CString& company, const CString& baseName)
{
    return DataFolder(company, true) + baseName + ".ini";
}

CString KTOptionStore::ParentIniPath(const CString&, const CString& baseName)
{
    return ProgramParentFolder() + baseName + ".ini";
}

CString KTOptionStore::PathForMode() const
{
    if (m_location == KTStoreParent)
        return ParentIniPath(m_companyName, m_fileBaseName);
    return GetPath();
}

CString KTOptionStore::GetPath() const
{
    switch (m_location) {
    case KTStorePerUser: return UserIniPath(m_companyName, m_fileBaseName);
    case KTStoreProgram: return ProgramIniPath(m_companyName, m_fileBaseName);
    case KTStoreSystem: return WindowsIniPath(m_companyName, m_fileBaseName);
    case KTStoreAllUsers: return AllUsersIniPath(m_companyName, m_fileBaseName);
    default: return CString();
    }
}

bool KTOptionStore::Load()
{
    const CString path = PathForMode();
    if (!path.IsEmpty())
        SetPath(path);
    return Read();
}

bool KTOptionStore::Save()
{
    if (m_companyName.IsEmpty() || m_fileBaseName.IsEmpty())
        return false;
    const CString path = PathForMode();
    if (!path.IsEmpty())
        SetPath(path);
    return Write();
}

void KTOptionStore::DeleteFile() const
{
    const CString path = GetPath();
    if (path.IsEmpty())
        return;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        std::remove(path.c_str());
    }
}
