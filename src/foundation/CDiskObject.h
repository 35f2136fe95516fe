#pragma once
// Questions about folders and files: qualified folder paths, folder existence, and sorted listings
// of the files matching a filter in a folder and all its sub-folders. Never changes the process's
// current folder. Failures come back as false with the error text; nothing is thrown or shown.

#include "platform/CString.h"

#include <functional>
#include <vector>

using CStringArray = std::vector<CString>;

class CDiskObject
{
public:
    /// Receives every name found and every error text, as a feedback window would show them.
    using Feedback = std::function<void(const CString&)>;

    CDiskObject() = default;
    explicit CDiskObject(Feedback feedback) : m_feedback(std::move(feedback)) {}

    /// Turns path into an absolute folder path ending in "/" ("\\" is read as "/").
    bool QualifyPath(CString& path);
    /// Turns path into an absolute file path; false when the path holds "*" or "?".
    bool QualifyFile(CString& path);
    bool DirectoryExists(CString path);

    /// Appends the files of one folder matching the filter ("*" and "?" wildcards, ASCII case
    /// ignored), each inserted before the first entry that compares greater; mode 1 gives full
    /// paths, other modes bare names. A missing folder gives true and no files.
    bool EnumerateFiles(CString filter, CString folder, CStringArray& files, int mode);
    /// Appends every sub-folder at any depth, depth first, as full paths ending in "/". Folders
    /// reached through symbolic links are not entered.
    bool EnumerateDirectories(CString folder, CStringArray& folders);
    /// keepFull 0: each appended entry relative to the folder, without its trailing "/".
    bool EnumerateDirectoriesRelative(CString folder, CStringArray& folders, int keepFull);
    /// The folder's matching files, then those of each sub-folder, full paths, sorted per folder.
    bool EnumerateAllFiles(CString filter, CString folder, CStringArray& files);
    /// keepFull 0: each appended entry relative to the folder.
    bool EnumerateAllFilesRelative(CString filter, CString folder, CStringArray& files, int keepFull);

    const CString& GetErrorText() const { return m_errorText; }

    /// Deeper folder trees are not walked; guards against cycles the file system may hold.
    static constexpr int MaxDepth = 64;

private:
    bool EnumerateDirectoriesAt(const CString& folder, CStringArray& folders, int depth);
    void SetInternalError();
    void SetSystemError(int error, const CString& path);
    void Show(const CString& text) const;

    CString m_errorText;
    Feedback m_feedback;
};

/// Windows-style wildcard match: "*" any run, "?" one byte, ASCII letters without case; "*.*"
/// matches every name.
bool KTWildcardMatch(const char* pattern, const char* name);
