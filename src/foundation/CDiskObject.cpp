#include "foundation/CDiskObject.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

const char* const InternalError = "CDiskObject internal error - check call parameters";

char LowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool IsFolder(const CString& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

/// The names in a folder, sorted by bytes so that listings do not depend on the file system's order.
bool ReadFolder(const CString& folder, std::vector<std::string>& names, int& error)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        error = errno;
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

void InsertSorted(CStringArray& files, const CString& name)
{
    const auto at = std::find_if(files.begin(), files.end(), [&](const CString& f) { return f > name; });
    files.insert(at, name);
}

void MakeRelative(CStringArray& entries, size_t first, int folderLength, bool dropSlash)
{
    for (size_t i = first; i < entries.size(); ++i) {
        CString& entry = entries[i];
        entry = entry.Mid(folderLength);
        if (dropSlash && !entry.IsEmpty() && entry.GetAt(entry.GetLength() - 1) == '/')
            entry = entry.Left(entry.GetLength() - 1);
    }
}

} // namespace

bool KTWildcardMatch(const char* pattern, const char* name)
{
    if (std::string_view(pattern) == "*.*")
        return true;
    const char* p = pattern;
    const char* n = name;
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*n) {
        if (*p == '*') {
            starP = p++;
            starN = n;
        } else if (*p && (*p == '?' || LowerAscii(*p) == LowerAscii(*n))) {
            ++p;
            ++n;
        } else if (starP) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == 0;
}

void CDiskObject::Show(const CString& text) const
{
    if (m_feedback)
        m_feedback(text);
}

void CDiskObject::SetInternalError()
{
    m_errorText = InternalError;
    Show(m_errorText);
}

void CDiskObject::SetSystemError(int error, const CString& path)
{
    CString text(std::generic_category().message(error));
    text.Trim();
    if (!path.IsEmpty())
        text += " " + path;
    m_errorText = text;
    Show(m_errorText);
}

bool CDiskObject::QualifyPath(CString& path)
{
    path.Replace('\\', '/');
    if (!path.IsEmpty() && path.GetAt(path.GetLength() - 1) != '/')
        path += '/';
    if (path.Left(2) == "//")
        return true;
    return QualifyFile(path);
}

bool CDiskObject::QualifyFile(CString& path)
{
    path.Replace('\\', '/');
    // The drive letter's colon has no meaning here, so only the wildcards are refused.
    if (path.FindOneOf("*?") >= 0) {
        SetInternalError();
        return false;
    }
    if (path.Left(1) == "/")
        return true;

    std::error_code ec;
    std::filesystem::path current = std::filesystem::current_path(ec);
    if (ec) {
        SetSystemError(ec.value(), path);
        return false;
    }
    CString rest = path;
    while (rest.Left(3) == "../") {
        current = current.parent_path();
        rest = rest.Mid(3);
    }
    CString folder(current.string());
    if (folder.IsEmpty() || folder.GetAt(folder.GetLength() - 1) != '/')
        folder += '/';
    path = folder + rest;
    return true;
}

bool CDiskObject::DirectoryExists(CString path)
{
    m_errorText.Empty();
    if (path.IsEmpty()) {
        SetInternalError();
        return false;
    }
    if (!QualifyPath(path))
        return false;
    return IsFolder(path);
}

bool CDiskObject::EnumerateFiles(CString filter, CString folder, CStringArray& files, int mode)
{
    m_errorText.Empty();
    if (!QualifyPath(folder))
        return false;
    if (!IsFolder(folder))
        return true;

    std::vector<std::string> names;
    int error = 0;
    if (!ReadFolder(folder, names, error)) {
        SetSystemError(error, folder + filter);
        return false;
    }
    for (const std::string& name : names) {
        const CString full = folder + CString(name);
        struct stat status;
        if (::stat(full.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            continue;
        if (!KTWildcardMatch(filter.c_str(), name.c_str()))
            continue;
        const CString entry = mode == 1 ? full : CString(name);
        InsertSorted(files, entry);
        Show(entry);
    }
    return true;
}

bool CDiskObject::EnumerateDirectoriesAt(const CString& folder, CStringArray& folders, int depth)
{
    std::vector<std::string> names;
    int error = 0;
    if (!ReadFolder(folder, names, error)) {
        SetSystemError(error, folder);
        return false;
    }
    for (const std::string& name : names) {
        const CString full = folder + CString(name) + "/";
        struct stat status;
        // lstat: a link to a folder is not entered, so a link back up cannot loop.
        if (::lstat((folder + CString(name)).c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            continue;
        folders.push_back(full);
        Show(full);
        if (depth + 1 < MaxDepth && !EnumerateDirectoriesAt(full, folders, depth + 1))
            return false;
    }
    return true;
}

bool CDiskObject::EnumerateDirectories(CString folder, CStringArray& folders)
{
    m_errorText.Empty();
    if (!QualifyPath(folder))
        return false;
    return EnumerateDirectoriesAt(folder, folders, 0);
}

bool CDiskObject::EnumerateDirectoriesRelative(CString folder, CStringArray& folders, int keepFull)
{
    const size_t first = folders.size();
    if (!QualifyPath(folder))
        return false;
    const bool ok = EnumerateDirectories(folder, folders);
    if (keepFull == 0)
        MakeRelative(folders, first, folder.GetLength(), true);
    return ok;
}

bool CDiskObject::EnumerateAllFiles(CString filter, CString folder, CStringArray& files)
{
    m_errorText.Empty();
    if (!QualifyPath(folder))
        return false;
    // A missing folder simply holds no files.
    if (!IsFolder(folder))
        return true;

    CStringArray found;
    bool ok = EnumerateFiles(filter, folder, found, 1);
    files.insert(files.end(), found.begin(), found.end());

    CStringArray folders;
    ok = EnumerateDirectories(folder, folders) && ok;
    for (const CString& sub : folders) {
        found.clear();
        ok = EnumerateFiles(filter, sub, found, 1) && ok;
        files.insert(files.end(), found.begin(), found.end());
    }
    return ok;
}

bool CDiskObject::EnumerateAllFilesRelative(CString filter, CString folder, CStringArray& files, int keepFull)
{
    const size_t first = files.size();
    if (!QualifyPath(folder))
        return false;
    const bool ok = EnumerateAllFiles(filter, folder, files);
    if (keepFull == 0)
        MakeRelative(files, first, folder.GetLength(), false);
    return ok;
}
