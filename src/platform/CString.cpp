#include "platform/CString.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

// The C locale, made once; formatting and reading of numbers switch to it per call so that
// the user's locale never leaks into texts the program stores or parses.
locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

class CLocaleScope
{
public:
    CLocaleScope() : m_previous(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned char ToUpper1252(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

unsigned char ToLower1252(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

char16_t KTCp1252ToUnicode(unsigned char ch)
{
    if (ch >= 0x80 && ch < 0xA0)
        return kCp1252High[ch - 0x80];
    return ch;
}

unsigned char KTUnicodeToCp1252(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    return '?';
}

std::string KTFormatCV(const char* format, va_list args)
{
    CLocaleScope scope;
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (n < static_cast<int>(sizeof small))
        return std::string(small, n);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(n);
    return out;
}

std::string KTFormatC(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = KTFormatCV(format, args);
    va_end(args);
    return out;
}

double KTStrToDoubleC(const char* text, int* end)
{
    char* stop = nullptr;
    double value = strtod_l(text, &stop, CLocale());
    if (end)
        *end = static_cast<int>(stop - text);
    return value;
}

CString::CString(const char* text, int length)
{
    if (text && length > 0)
        m_text.assign(text, strnlen(text, static_cast<size_t>(length)));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        m_text.assign(static_cast<size_t>(repeat), ch);
}

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return 0;
    return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength())
        m_text[static_cast<size_t>(index)] = ch;
}

CString& CString::operator=(const char* text)
{
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator=(char ch)
{
    m_text.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& text)
{
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text)
        m_text += text;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_text += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
CString operator+(const CString& a, const char* b) { return CString(a.m_text + (b ? b : "")); }
CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_text); }
CString operator+(const CString& a, char b) { return CString(a.m_text + b); }
CString operator+(char a, const CString& b) { return CString(a + b.m_text); }

int CString::Compare(const char* text) const
{
    int c = std::strcmp(m_text.c_str(), text ? text : "");
    return (c > 0) - (c < 0);
}

int CString::CompareNoCase(const char* text) const
{
    CString a(*this), b(text);
    a.MakeLower();
    b.MakeLower();
    return a.Compare(b);
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const
{
    first = std::max(first, 0);
    if (first >= GetLength() || count <= 0)
        return {};
    count = std::min(count, GetLength() - first);
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(const char* chars) const
{
    return Left(static_cast<int>(std::strspn(m_text.c_str(), chars)));
}

CString CString::SpanExcluding(const char* chars) const
{
    return Left(static_cast<int>(std::strcspn(m_text.c_str(), chars)));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t at = m_text.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t at = m_text.find(sub, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const char* chars) const
{
    size_t at = m_text.find_first_of(chars ? chars : "");
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(char from, char to)
{
    int count = 0;
    for (char& c : m_text)
        if (c == from) {
            c = to;
            ++count;
        }
    return count;
}

int CString::Replace(const char* from, const char* to)
{
    if (!from || !*from)
        return 0;
    const std::string f(from), t(to ? to : "");
    int count = 0;
    std::string out;
    size_t pos = 0;
    for (size_t at; (at = m_text.find(f, pos)) != std::string::npos; pos = at + f.size()) {
        out.append(m_text, pos, at - pos);
        out += t;
        ++count;
    }
    if (count) {
        out.append(m_text, pos, std::string::npos);
        m_text.swap(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    auto end = std::remove(m_text.begin(), m_text.end(), ch);
    int count = static_cast<int>(m_text.end() - end);
    m_text.erase(end, m_text.end());
    return count;
}

int CString::Insert(int index, char ch)
{
    index = std::clamp(index, 0, GetLength());
    m_text.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    index = std::clamp(index, 0, GetLength());
    m_text.insert(static_cast<size_t>(index), text ? text : "");
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_text.size() && IsSpace(m_text[i]))
        ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(char ch)
{
    char chars[2] = {ch, 0};
    return TrimLeft(chars);
}

CString& CString::TrimLeft(const char* chars)
{
    size_t i = m_text.find_first_not_of(chars ? chars : "");
    m_text.erase(0, i == std::string::npos ? m_text.size() : i);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = m_text.size();
    while (n > 0 && IsSpace(m_text[n - 1]))
        --n;
    m_text.resize(n);
    return *this;
}

CString& CString::TrimRight(char ch)
{
    char chars[2] = {ch, 0};
    return TrimRight(chars);
}

CString& CString::TrimRight(const char* chars)
{
    size_t i = m_text.find_last_not_of(chars ? chars : "");
    m_text.resize(i == std::string::npos ? 0 : i + 1);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char* chars) { return TrimRight(chars).TrimLeft(chars); }

CString& CString::MakeUpper()
{
    for (char& c : m_text)
        c = static_cast<char>(ToUpper1252(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_text)
        c = static_cast<char>(ToLower1252(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

void CString::FormatV(const char* format, va_list args) { m_text = KTFormatCV(format, args); }

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_text = KTFormatCV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_text += KTFormatCV(format, args);
    va_end(args);
}

CString CString::Tokenize(const char* delimiters, int& start) const
{
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return {};
    }
    const std::string delims(delimiters ? delimiters : "");
    size_t from = m_text.find_first_not_of(delims, static_cast<size_t>(start));
    if (from == std::string::npos) {
        start = -1;
        return {};
    }
    size_t to = m_text.find_first_of(delims, from);
    if (to == std::string::npos)
        to = m_text.size();
    start = static_cast<int>(std::min(to + 1, m_text.size() + 1));
    return CString(m_text.substr(from, to - from));
}

QString CString::ToQString() const
{
    QString out;
    out.reserve(GetLength());
    for (char c : m_text)
        out.append(QChar(KTCp1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

CString CString::FromQString(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t ch : text.toUcs4())
        out += static_cast<char>(KTUnicodeToCp1252(ch));
    return CString(std::move(out));
}
