#pragma once
// Little-endian archive of the document file's forms over a byte buffer. Reading never runs
// past the data: a short or malformed input throws KTArchiveException.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <vector>

class KTArchiveException : public std::runtime_error
{
public:
    enum class Cause { EndOfFile, BadFormat, BadClass };
    KTArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}
    Cause GetCause() const { return m_cause; }

private:
    Cause m_cause;
};

class KTArchive
{
public:
    enum Mode { store, load };

    /// A storing archive that collects bytes.
    KTArchive();
    /// A loading archive over a copy of the given bytes.
    explicit KTArchive(std::vector<std::uint8_t> data);

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool AtEnd() const { return m_pos >= m_data.size(); }
    /// Moves the read position of a loading archive, at most to the end; a reader that failed
    /// part-way goes back with it to read the same bytes another way.
    void Seek(std::size_t position) { m_pos = position < m_data.size() ? position : m_data.size(); }

    void Write(const void* bytes, std::size_t count);
    /// Reads exactly count bytes or throws EndOfFile.
    void Read(void* bytes, std::size_t count);

    KTArchive& operator<<(BYTE v) { return WriteRaw(v); }
    KTArchive& operator<<(bool v) { return WriteRaw(static_cast<BYTE>(v ? 1 : 0)); }
    KTArchive& operator<<(char v) { return WriteRaw(v); }
    KTArchive& operator<<(WORD v) { return WriteRaw(v); }
    KTArchive& operator<<(std::int16_t v) { return WriteRaw(v); }
    KTArchive& operator<<(std::int32_t v) { return WriteRaw(v); }
    KTArchive& operator<<(std::uint32_t v) { return WriteRaw(v); }
    KTArchive& operator<<(std::int64_t v) { return WriteRaw(v); }
    KTArchive& operator<<(float v) { return WriteRaw(v); }
    KTArchive& operator<<(double v) { return WriteRaw(v); }
    KTArchive& operator<<(const CString& text);

    KTArchive& operator>>(BYTE& v) { return ReadRaw(v); }
    KTArchive& operator>>(bool& v);
    KTArchive& operator>>(char& v) { return ReadRaw(v); }
    KTArchive& operator>>(WORD& v) { return ReadRaw(v); }
    KTArchive& operator>>(std::int16_t& v) { return ReadRaw(v); }
    KTArchive& operator>>(std::int32_t& v) { return ReadRaw(v); }
    KTArchive& operator>>(std::uint32_t& v) { return ReadRaw(v); }
    KTArchive& operator>>(std::int64_t& v) { return ReadRaw(v); }
    KTArchive& operator>>(float& v) { return ReadRaw(v); }
    KTArchive& operator>>(double& v) { return ReadRaw(v); }
    /// The framework's string form; a 16-bit text (0xFF 0xFFFE marker) is read into Windows-1252.
    KTArchive& operator>>(CString& text);

    /// Count prefix of collections: a 16-bit count, or 0xFFFF followed by a 32-bit count.
    void WriteCount(std::uint32_t count);
    std::uint32_t ReadCount();

    /// Tagged serialisation: the class name as a string and a 16-bit version ahead of the fields,
    /// "/name/" after them.
    void WriteBeginTag(const char* name, WORD version);
    void WriteEndTag(const char* name);
    /// Reads the name and version; true when the name matches.
    bool ReadBeginTag(const char* name, WORD& version);
    /// Reads the name, and the version only when the name matches, so that a foreign tag ends
    /// the read right after it. True when the name matches and the version is at least
    /// `minimumVersion`.
    bool ReadBeginTagAtLeast(const char* name, WORD minimumVersion);
    /// Reads the end tag; true when it is "/name/".
    bool ReadEndTag(const char* name);

private:
    template <typename T> KTArchive& WriteRaw(const T& v)
    {
        Write(&v, sizeof v);
        return *this;
    }
    template <typename T> KTArchive& ReadRaw(T& v)
    {
        Read(&v, sizeof v);
        return *this;
    }
    std::uint32_t ReadStringLength(bool& wide);

    Mode m_mode;
    std::vector<std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

static_assert(std::endian::native == std::endian::little, "archives are written in host order");
