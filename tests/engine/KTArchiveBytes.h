#pragma once
// Builders of expected archive bytes for the engine's record tests.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kttest::bytes {

using Bytes = std::vector<std::uint8_t>;

/// The framework's short string form: one length byte, then the characters.
inline Bytes Str(const std::string& text)
{
    Bytes out{static_cast<std::uint8_t>(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

template <typename T> Bytes Raw(T value)
{
    Bytes out(sizeof value);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

inline Bytes I32(std::int32_t v)
{
    return Raw(v);
}
inline Bytes U16(std::uint16_t v)
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

} // namespace kttest::bytes
