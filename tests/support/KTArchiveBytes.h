#pragma once
// Builders of expected archive bytes, and archive round trips, for the record tests.

#include "platform/KTArchive.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace kttest::bytes {

using Bytes = std::vector<std::uint8_t>;

/// The framework's short string form: one length byte, then the characters.
inline Bytes Str(const std::string& text)
{
    // Sized at once: growing a one-byte vector by insert trips GCC 12's false -Warray-bounds.
    Bytes out(text.size() + 1);
    out[0] = static_cast<std::uint8_t>(text.size());
    std::memcpy(out.data() + 1, text.data(), text.size());
    return out;
}

template <typename T> Bytes Raw(T value)
{
    Bytes out(sizeof value);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

inline Bytes B(std::uint8_t v)
{
    return {v};
}
inline Bytes U16(std::uint16_t v)
{
    return Raw(v);
}
inline Bytes I32(std::int32_t v)
{
    return Raw(v);
}
inline Bytes U32(std::uint32_t v)
{
    return Raw(v);
}
inline Bytes F64(double v)
{
    return Raw(v);
}

inline void Append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

/// Concatenation of the pieces in order.
inline Bytes Join(std::initializer_list<Bytes> pieces)
{
    Bytes out;
    for (const Bytes& piece : pieces)
        Append(out, piece);
    return out;
}

/// The bytes a record stores.
inline Bytes Stored(KTObject& record)
{
    KTArchive ar;
    record.Serialize(ar);
    return ar.Data();
}

/// Loads the bytes into the record; returns how many bytes were left unread.
inline std::size_t Load(KTObject& record, const Bytes& bytes)
{
    KTArchive ar(bytes);
    record.Serialize(ar);
    return ar.Remaining();
}

/// A pen record's untagged 24 bytes.
inline Bytes Pen(std::int32_t kind, std::int32_t style, std::uint32_t colour, double width)
{
    return Join({I32(kind), I32(style), U32(colour), I32(0), F64(width)});
}

/// A brush record's untagged 16 bytes.
inline Bytes Brush(std::int32_t kind, std::int32_t style, std::uint32_t colour, std::int32_t hatch)
{
    return Join({I32(kind), I32(style), U32(colour), I32(hatch)});
}

} // namespace kttest::bytes
