#include "foundation/KTIniFile.h"

#include "platform/KTMessageBox.h"
#include "platform/KTSaveFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cctype>
#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <sys/stat.h>

int KTAtoi(const char* text)
{
    if (!text)
        return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        // Saturate rather than overflow: a hostile settings file may hold any number of digits.
        if (magnitude <= static_cast<long long>(INT_MAX) + 1)
            magnitude = magnitude * 10 + (*p - '0');
        ++p;
    }
    if (negative)
        return magnitude > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

int KTIniFile::FindSection(const CString& section) const
{
    for (size_t i = 0; i < m_sectionNames.size(); ++i) {
        if (m_sectionNames[i] == section)
            return static_cast<int>(i);
    }
    return -1;
}

int KTIniFile::FindKey(int sectionIndex, const CString& key) const
{
    if (sectionIndex < 0 || sectionIndex >= GetSectionCount())
        return -1;
    return m_sections[static_cast<size_t>(sectionIndex)].FindKey(key);
}

CString KTIniFile::GetValue(const CString& section, const CString& key)
{
    const int s = FindSection(section);
    if (s < 0) {
        m_lastError = "Unable to locate specified key.";
        return CString();
    }
    const int k = FindKey(s, key);
    if (k < 0) {
        m_lastError = "Unable to locate specified value.";
        return CString();
    }
    return m_sections[static_cast<size_t>(s)].m_values[static_cast<size_t>(k)];
}

int KTIniFile::GetInt(const CString& section, const CString& key)
{
    const CString value = GetValue(section, key);
    if (value.IsEmpty())
        return -1;
    return KTAtoi(value);
}

bool KTIniFile::SetValue(const CString& section, const CString& key, const CString& value, bool create)
{
    int s = FindSection(section);
    if (s < 0) {
        if (!create)
            return false;
        m_sections.emplace_back();
        m_sectionNames.push_back(section);
        s = GetSectionCount() - 1;
    }
    KTIniSection& sec = m_sections[static_cast<size_t>(s)];
    const int k = sec.FindKey(key);
    if (k < 0) {
        if (!create)
            return false;
        sec.AddKey(key, value);
        return true;
    }
    sec.m_values[static_cast<size_t>(k)] = value;
    return true;
}

bool KTIniFile::SetInt(const CString& section, const CString& key, int value, bool create)
{
    CString text;
    text.Format("%d", value);
    return SetValue(section, key, text, create);
}

namespace {

/// The file's text in Windows-1252: as it stands without a byte-order mark, decoded from UTF-8
/// or UTF-16 after one (an editor may have saved the file so), the mark itself left out.
std::string DecodedText(const std::string& bytes)
{
    const auto startsWith = [&bytes](const char* mark) { return bytes.rfind(mark, 0) == 0; };
    QString text;
    if (startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.data() + 3, static_cast<qsizetype>(bytes.size() - 3));
    } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto first = static_cast<unsigned char>(bytes[i]);
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            units.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
        }
        text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    } else {
        return bytes;
    }
    return CString::FromQString(text).str();
}

} // namespace

void KTIniFile::MergeText(const std::string& fileBytes)
{
    const std::string bytes = DecodedText(fileBytes);
    // A line without "=" is kept as it stands; the n-th of the same text in a section is the
    // n-th one already held, so that reading the file again adds none twice.
    std::map<std::pair<std::string, std::string>, int> plainSeen;
    CString currentSection;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool hasLineFeed = end != std::string::npos;
        if (!hasLineFeed)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = hasLineFeed ? end + 1 : end;
        // The file is text: a CR LF pair is one line end, a lone CR is an ordinary byte.
        if (hasLineFeed && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;

        if (line.front() == '[' && line.back() == ']') {
            const size_t close = line.find(']', 1);
            currentSection = CString(line.substr(1, close - 1));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            AddPlainLine(currentSection, CString(line), ++plainSeen[{currentSection.str(), line}]);
        else
            SetValue(currentSection, CString(line.substr(0, equals)), CString(line.substr(equals + 1)), true);
    }
}

void KTIniFile::AddPlainLine(const CString& section, const CString& line, int occurrence)
{
    int s = FindSection(section);
    if (s < 0) {
        m_sections.emplace_back();
        m_sectionNames.push_back(section);
        s = GetSectionCount() - 1;
    }
    KTIniSection& sec = m_sections[static_cast<size_t>(s)];
    if (sec.CountPlainLines(line) < occurrence)
        sec.AddPlainLine(line);
}

bool KTIniFile::Read()
{
    struct stat status;
    if (::stat(m_path.c_str(), &status) != 0)
        return false;
    std::ifstream in(m_path.c_str(), std::ios::binary);
    if (!in.is_open() || S_ISDIR(status.st_mode)) {
        m_lastError = "Unable to open ini file.";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MergeText(bytes);
    return true;
}

std::string KTIniFile::ToText() const
{
    std::string text;
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const KTIniSection& sec = m_sections[s];
        if (sec.m_keys.empty())
            continue;
        text += '[';
        text += m_sectionNames[s].str();
        text += "]\r\n";
        for (size_t k = 0; k < sec.m_keys.size(); ++k) {
            text += sec.m_keys[k].str();
            if (!sec.m_plain[k]) {
                text += '=';
                text += sec.m_values[k].str();
            }
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

bool KTIniFile::Write()
{
    const std::string text = ToText();
    // Paths hold the file system's own bytes, not Windows-1252 text.
    const KTSaveResult saved =
        KTWriteWholeFile(QFile::decodeName(QByteArray(m_path.c_str())), text.data(), text.size());
    // A document without keys writes nothing worth reporting, whatever became of the file.
    if (saved.Ok() || text.empty())
        return saved.Ok();
    // A file that cannot be made is most often a folder the user may not write to; one that
    // stops part-way says why (a full disk).
    const CString why = saved.stage == KTSaveResult::Stage::Open
                            ? CString("Administrator privileges are probably needed to save this file.  "
                                      "Please contact your IT staff.")
                            : CString::FromQString(saved.cause);
    KTMessageBox("File Save Error", "Unable to write file " + m_path + ".\r\n\r\n" + why, MB_OK);
    return false;
}
