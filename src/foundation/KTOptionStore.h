#pragma once
// The settings store: a settings file in memory that knows its folder. The folder follows the
// location mode and is worked out again on every Load and Save. Folder texts end in "/".

#include "foundation/KTIniFile.h"

/// Where a store's file lives.
enum KTStoreLocation : int {
    KTStorePerUser = 0,  ///< $XDG_CONFIG_HOME (default ~/.config) + company folder
    KTStoreProgram = 1,  ///< the folder of the program file
    KTStoreSystem = 2,   ///< the system configuration folder, "/etc/"
    KTStoreAllUsers = 3, ///< the first of $XDG_CONFIG_DIRS (default /etc/xdg) + company folder
    KTStoreParent = 5,   ///< the parent of the program folder
    // Any other value: the path set with SetPath is kept.
};

class KTOptionStore : public KTIniFile
{
public:
    KTOptionStore() = default;
    ~KTOptionStore() override = default;

    void SetCompanyName(const CString& company) { m_companyName = company; }
    void SetFileBaseName(const CString& baseName) { m_fileBaseName = baseName; }
    const CString& GetCompanyName() const { return m_companyName; }
    const CString& GetFileBaseName() const { return m_fileBaseName; }

    /// Sets the path for the mode (other modes keep it) and merges the file into memory;
    /// false when the file is missing or cannot be opened.
    bool Load();
    /// Writes the file for the mode (a failure is reported, see KTIniFile::Write); does nothing
    /// and returns false when the company or base name is empty. False when nothing was written.
    bool Save();
    /// The path for modes 0 to 3; the empty text for every other mode (5 included). Mode 0 and 3
    /// may create the company folder.
    CString GetPath() const;
    /// Removes the file at GetPath when it can be opened for reading; failures are ignored.
    void DeleteFile() const;

    static CString UserIniPath(const CString& company, const CString& baseName);
    static CString ProgramIniPath(const CString& company, const CString& baseName);
    static CString WindowsIniPath(const CString& company, const CString& baseName);
    static CString AllUsersIniPath(const CString& company, const CString& baseName);
    static CString ParentIniPath(const CString& company, const CString& baseName);

    /// The company's settings folder, per user or for all users, created one level deep when
    /// missing; falls back to the system folder and then to the program folder.
    static CString DataFolder(const CString& company, bool allUsers);
    /// The folder of the running program file, ending in "/"; empty when unknown.
    static CString ProgramFolder();
    /// The parent of the program folder, ending in "/"; empty when there is none.
    static CString ProgramParentFolder();
    /// The fallback folder in place of the Windows folder: "/etc/".
    static CString SystemFolder();
    /// The rule of DataFolder with the given per-user root (ending in "/"; empty when unknown).
    static CString DataFolderUnder(const CString& perUserRoot, const CString& company, bool allUsers);

    /// Public: the owner sets it directly before Load or Save.
    int m_location = KTStorePerUser;

private:
    /// The path for the mode, or the empty text when the mode keeps the path set with SetPath.
    CString PathForMode() const;

    CString m_companyName;
    CString m_fileBaseName;
};

/// True when the folder exists and could be entered (search permission); never changes the
/// process's current folder. A trailing "/" is accepted.
bool DirectoryExists(const CString& folder);
