#pragma once
// Reads a text file line by line into Windows-1252 texts, whatever its encoding: bytes as they are
// without a byte-order mark, UTF-8 with EF BB BF, UTF-16 with FE FF or FF FE. Lines end at CR, LF
// or CR LF and may be of any length. One reader belongs to one thread.

#include "platform/CString.h"

#include <cstdint>
#include <cstdio>

enum KTTextEncoding : std::int32_t {
    KTTextAnsi = 0,
    KTTextUtf16BigEndian = 1,
    KTTextUtf16LittleEndian = 2,
    KTTextUtf8 = 3,
};

class KTTextReader
{
public:
    /// Opens the file; a file that cannot be opened reads as an empty one.
    explicit KTTextReader(const char* path);
    virtual ~KTTextReader();
    KTTextReader(const KTTextReader&) = delete;
    KTTextReader& operator=(const KTTextReader&) = delete;

    /// The next line without its end; false at the end of the file (at once for an empty file).
    bool ReadLine(CString& line);
    void Close();

    KTTextEncoding GetEncoding() const { return m_encoding; }
    /// Set once a character had no Windows-1252 form and was replaced.
    bool DefaultUsed() const { return m_defaultUsed; }

private:
    static constexpr int BlockSize = 1024;

    void DetectEncoding();
    void Rewind();
    unsigned char ReadByte();
    char16_t ReadChar();
    char16_t ReadNext() { return m_encoding == KTTextAnsi ? ReadByte() : ReadChar(); }
    CString ToCodePage(const std::u16string& text);

    KTTextEncoding m_encoding = KTTextAnsi;
    std::FILE* m_file = nullptr;
    bool m_ownsFile = false;
    bool m_atEnd = false;
    unsigned char m_buffer[BlockSize] = {};
    int m_index = -1;
    int m_count = 0;
    char m_defaultChar = 0;
    bool m_defaultUsed = false;
    int m_codePage = 0;
    bool m_pushBackPending = false;
    bool m_firstLine = true;
    char16_t m_pushBack = 0;
};
