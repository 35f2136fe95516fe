#include "foundation/KTTextReader.h"

#include <string>

KTTextReader::KTTextReader(const char* path)
{
    if (path)
        m_file = std::fopen(path, "rb");
    m_ownsFile = m_file != nullptr;
    m_atEnd = m_file == nullptr;
    DetectEncoding();
}

KTTextReader::~KTTextReader()
{
    Close();
}

void KTTextReader::Close()
{
    if (m_file && m_ownsFile)
        std::fclose(m_file);
    m_file = nullptr;
    m_ownsFile = false;
    m_atEnd = true;
}

void KTTextReader::DetectEncoding()
{
    if (!m_file)
        return;
    const unsigned char first = ReadByte();
    const unsigned char second = ReadByte();
    if (!m_atEnd) {
        if (first == 0xFF && second == 0xFE) {
            m_encoding = KTTextUtf16LittleEndian;
            return;
        }
        if (first == 0xFE && second == 0xFF) {
            m_encoding = KTTextUtf16BigEndian;
            return;
        }
        if (first == 0xEF && second == 0xBB) {
            const unsigned char third = ReadByte();
            if (!m_atEnd && third == 0xBF) {
                m_encoding = KTTextUtf8;
                return;
            }
        }
    }
    m_encoding = KTTextAnsi;
    Rewind();
}

void KTTextReader::Rewind()
{
    if (m_file)
        std::fseek(m_file, 0, SEEK_SET);
    m_pushBackPending = false;
    m_index = -1;
    m_count = 0;
    m_firstLine = true;
    m_atEnd = m_file == nullptr;
}

unsigned char KTTextReader::ReadByte()
{
    if (m_pushBackPending) {
        m_pushBackPending = false;
        return static_cast<unsigned char>(m_pushBack & 0xFF);
    }
    if (!m_file) {
        m_atEnd = true;
        return 0;
    }
    if (m_index == -1 || m_index == BlockSize - 1) {
        m_count = static_cast<int>(std::fread(m_buffer, 1, BlockSize, m_file));
        if (m_count <= 0) {
            m_count = 0;
            m_atEnd = true;
            return 0;
        }
        m_index = 0;
    } else if (++m_index >= m_count) {
        m_index = m_count > 0 ? m_count - 1 : -1;
        m_atEnd = true;
        return 0;
    }
    return m_buffer[m_index];
}

char16_t KTTextReader::ReadChar()
{
    if (m_pushBackPending) {
        m_pushBackPending = false;
        return m_pushBack;
    }
    if (m_encoding == KTTextUtf8) {
        const unsigned char lead = ReadByte();
        if (lead < 0x80)
            return lead;
        if ((lead & 0xE0) == 0xC0) {
            const unsigned char c1 = ReadByte();
            return static_cast<char16_t>(((lead & 0x1F) << 6) | (c1 & 0x3F));
        }
        if ((lead & 0xF0) == 0xE0) {
            const unsigned char c1 = ReadByte();
            const unsigned char c2 = ReadByte();
            return static_cast<char16_t>(((lead & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F));
        }
        return 0xFFFD;
    }
    const unsigned char b1 = ReadByte();
    const unsigned char b2 = ReadByte();
    return m_encoding == KTTextUtf16BigEndian ? static_cast<char16_t>((b1 << 8) | b2)
                                              : static_cast<char16_t>((b2 << 8) | b1);
}

CString KTTextReader::ToCodePage(const std::u16string& text)
{
    const char replacement = m_defaultChar ? m_defaultChar : '?';
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t ch = text[i];
        // A surrogate pair is one character and takes one replacement, as the code page cannot hold it.
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
            ch = 0x10000;
        }
        const unsigned char mapped = KTUnicodeToCp1252(ch);
        if (mapped == '?' && ch != U'?') {
            out += replacement;
            m_defaultUsed = true;
        } else {
            out += static_cast<char>(mapped);
        }
    }
    return CString(std::move(out));
}

bool KTTextReader::ReadLine(CString& line)
{
    line.Empty();
    if (m_atEnd)
        return false;

    char16_t ch = ReadNext();
    // An empty file holds no line at all, like one that cannot be opened.
    if (m_firstLine && m_atEnd)
        return false;
    if (!m_firstLine) {
        // The end of the previous line was pushed back; consume it here.
        if (!m_atEnd && ch == u'\r')
            ch = ReadNext();
        if (!m_atEnd && ch == u'\n')
            ch = ReadNext();
    }
    m_firstLine = false;

    std::u16string wide;
    std::string bytes;
    while (!m_atEnd && ch != u'\r' && ch != u'\n') {
        if (m_encoding == KTTextAnsi)
            bytes += static_cast<char>(ch);
        else
            wide += ch;
        ch = ReadNext();
    }
    m_pushBack = m_atEnd ? char16_t(0) : ch;
    m_pushBackPending = !m_atEnd;

    line = m_encoding == KTTextAnsi ? CString(std::move(bytes)) : ToCodePage(wide);
    return true;
}
