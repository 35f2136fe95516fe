#pragma once
// An INI-format settings file held in memory as ordered sections of ordered key/value texts.
// Names and values are kept exactly as given (case-sensitive, untrimmed); nothing is ever removed.
// A line without "=" is no key: it is kept as it stands, in its place.
// The file is read whole (merged into what is in memory) and written whole.

#include "foundation/KTIniSection.h"
#include "platform/CString.h"

#include <vector>

class KTIniFile
{
public:
    KTIniFile() = default;
    virtual ~KTIniFile() = default;

    /// The file that Read and Write use.
    void SetPath(const CString& path) { m_path = path; }
    const CString& GetFilePath() const { return m_path; }

    /// Index of the section with exactly that name, or -1.
    int FindSection(const CString& section) const;
    /// Index of the key within the section, or -1 (also for section index -1).
    int FindKey(int sectionIndex, const CString& key) const;

    /// The value text; the empty text (and the last error set) when the section or key is missing.
    CString GetValue(const CString& section, const CString& key);
    /// -1 for a missing key or an empty value, else the leading decimal integer of the value
    /// (blanks skipped, optional sign, 0 without digits, saturated to the int range).
    int GetInt(const CString& section, const CString& key);
    /// Sets an existing key; a missing section or key is appended only when create is set.
    /// False when nothing was set.
    bool SetValue(const CString& section, const CString& key, const CString& value, bool create);
    bool SetInt(const CString& section, const CString& key, int value, bool create);

    /// Merges the file into the document: keys in the file replace those in memory, the rest stay.
    /// False when the file is missing or cannot be opened. Lines may be of any length. A file
    /// that starts with a byte-order mark is read as UTF-8 or UTF-16 (into Windows-1252). A line
    /// without "=" is no key: it is kept as it stands, in its place, and written back so.
    bool Read();
    /// Writes every section that has keys or lines, CR LF line ends, through a temporary file
    /// renamed over the old one, so a failed write leaves the previous file intact. A failure is
    /// reported with the "File Save Error" message box: a file that cannot be made asks for
    /// permissions, one that cannot be written whole gives the system's cause ("No space left on
    /// device"). The document in memory is unchanged. False when the file was not written.
    bool Write();

    /// Text of the latest failure of GetValue or Read; a later success does not clear it.
    const CString& GetLastError() const { return m_lastError; }

    int GetSectionCount() const { return static_cast<int>(m_sections.size()); }
    const CString& GetSectionName(int index) const { return m_sectionNames.at(static_cast<size_t>(index)); }
    const KTIniSection& GetSection(int index) const { return m_sections.at(static_cast<size_t>(index)); }

    /// The document as Write puts it into the file.
    std::string ToText() const;
    /// Merges INI text into the document as Read does with a file's bytes.
    void MergeText(const std::string& bytes);

private:
    /// The occurrence-th plain line of that text in the section, added unless the section holds
    /// as many already (the section is made when it is missing).
    void AddPlainLine(const CString& section, const CString& line, int occurrence);

    CString m_path;
    std::vector<KTIniSection> m_sections;
    std::vector<CString> m_sectionNames;
    CString m_lastError;
};

/// The C library's atoi rules on a text, saturated to the int range instead of overflowing.
int KTAtoi(const char* text);
