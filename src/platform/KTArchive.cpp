#include "platform/KTArchive.h"

#include <bit>
#include <cstring>

KTArchive::KTArchive() : m_mode(store) {}

KTArchive::KTArchive(std::vector<std::uint8_t> data) : m_mode(load), m_data(std::move(data)) {}

void KTArchive::Write(const void* bytes, std::size_t count)
{
    if (m_mode != store)
        throw KTArchiveException(KTArchiveException::Cause::BadFormat, "write to a loading archive");
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    m_data.insert(m_data.end(), p, p + count);
}

void KTArchive::Read(void* bytes, std::size_t count)
{
    if (m_mode != load)
        throw KTArchiveException(KTArchiveException::Cause::BadFormat, "read from a storing archive");
    if (count > Remaining())
        throw KTArchiveException(KTArchiveException::Cause::EndOfFile, "unexpected end of archive");
    if (count)
        std::memcpy(bytes, m_data.data() + m_pos, count);
    m_pos += count;
}

KTArchive& KTArchive::operator>>(bool& v)
{
    BYTE b = 0;
    ReadRaw(b);
    v = b != 0;
    return *this;
}

KTArchive& KTArchive::operator<<(const CString& text)
{
    const auto length = static_cast<std::uint32_t>(text.GetLength());
    if (length <= 0xFE) {
        *this << static_cast<BYTE>(length);
    } else if (length <= 0xFFFD) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << length;
    }
    Write(text.c_str(), length);
    return *this;
}

std::uint32_t KTArchive::ReadStringLength(bool& wide)
{
    BYTE b = 0;
    *this >> b;
    if (b < 0xFF)
        return b;
    WORD w = 0;
    *this >> w;
    if (w == 0xFFFE) {
        if (wide)
            throw KTArchiveException(KTArchiveException::Cause::BadFormat, "repeated wide marker");
        wide = true;
        return ReadStringLength(wide);
    }
    if (w < 0xFFFF)
        return w;
    std::uint32_t d = 0;
    *this >> d;
    return d;
}

KTArchive& KTArchive::operator>>(CString& text)
{
    bool wide = false;
    const std::uint32_t length = ReadStringLength(wide);
    const std::size_t bytes = wide ? std::size_t(length) * 2 : length;
    if (bytes > Remaining())
        throw KTArchiveException(KTArchiveException::Cause::EndOfFile, "string beyond the archive");
    std::string out;
    out.reserve(length);
    if (wide) {
        for (std::uint32_t i = 0; i < length; ++i) {
            WORD ch = 0;
            *this >> ch;
            out += static_cast<char>(KTUnicodeToCp1252(ch));
        }
    } else {
        out.assign(reinterpret_cast<const char*>(m_data.data() + m_pos), length);
        m_pos += length;
    }
    text = CString(std::move(out));
    return *this;
}

void KTArchive::WriteCount(std::uint32_t count)
{
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
    } else {
        *this << static_cast<WORD>(0xFFFF) << count;
    }
}

std::uint32_t KTArchive::ReadCount()
{
    WORD w = 0;
    *this >> w;
    if (w != 0xFFFF)
        return w;
    std::uint32_t d = 0;
    *this >> d;
    return d;
}

void KTArchive::WriteBeginTag(const char* name, WORD version)
{
    *this << CString(name) << version;
}

void KTArchive::WriteEndTag(const char* name)
{
    *this << (CString("/") + name + "/");
}

bool KTArchive::ReadBeginTag(const char* name, WORD& version)
{
    CString tag;
    *this >> tag >> version;
    return tag == name;
}

bool KTArchive::ReadBeginTagAtLeast(const char* name, WORD minimumVersion)
{
    CString tag;
    *this >> tag;
    if (tag != name)
        return false;
    WORD version = 0;
    *this >> version;
    return version >= minimumVersion;
}

bool KTArchive::ReadEndTag(const char* name)
{
    CString tag;
    *this >> tag;
    return tag == (CString("/") + name + "/");
}
