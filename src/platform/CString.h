#pragma once
// Single-byte Windows-1252 text, the form every text of the program takes.
// QString appears only at the Qt boundary, through ToQString/FromQString.

#include <compare>
#include <cstdarg>
#include <string>
#include <string_view>

class QString;

class CString
{
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(std::string text) : m_text(std::move(text)) {}
    CString(std::string_view text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    /// Byte at index; 0 when the index is out of range (never reads past the text).
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }
    char operator[](std::size_t index) const { return GetAt(static_cast<int>(index)); }

    operator const char*() const { return m_text.c_str(); }
    const char* c_str() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }
    std::string& str() { return m_text; }

    CString& operator=(const char* text);
    CString& operator=(char ch);
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b)
    {
        return a.m_text.compare(b.m_text) <=> 0;
    }

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    /// Substrings clamp their arguments to the text, as the framework's do.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* chars) const;
    CString SpanExcluding(const char* chars) const;

    /// Index of the first match at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* chars) const;

    /// Number of replacements or removals made.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    int Remove(char ch);
    /// New length.
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* chars);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* chars);
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* chars);

    /// ASCII case mapping plus the Windows-1252 letters.
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    /// printf-style formatting, always in the C locale.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);

    /// Next token delimited by any of the given characters; start moves past it, -1 at the end.
    CString Tokenize(const char* delimiters, int& start) const;

    QString ToQString() const;
    static CString FromQString(const QString& text);

private:
    std::string m_text;
};

/// Windows-1252 byte <-> Unicode code point; undefined bytes map to themselves.
char16_t KTCp1252ToUnicode(unsigned char ch);
/// '?' for a character Windows-1252 cannot hold.
unsigned char KTUnicodeToCp1252(char32_t ch);

/// printf into a std::string in the C locale, whatever the process locale is.
std::string KTFormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string KTFormatCV(const char* format, va_list args);
/// strtod in the C locale; end receives the count of bytes read.
double KTStrToDoubleC(const char* text, int* end = nullptr);
