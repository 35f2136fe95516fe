#pragma once
// A list that one thread of an implicit trace appends to: entries live in chunks that never move,
// so that a reference to one stays good while more are added, and the list's count has cache
// lines of its own, as it changes with every entry. A chunk is left unwritten until its entries
// are added: zeroing it first would write it twice. A trace has a list for each band of its
// lattice, most of them short: the chunks are small. Emptied, it keeps its chunks for the next
// plot.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

template <class T> class alignas(64) KTImplicitChunks
{
public:
    /// Entries a list may hold: ids of entries carry their list in the bits above these.
    static constexpr int IdBits = 22;

    T& operator[](std::int32_t k) { return m_chunks[static_cast<std::size_t>(k >> Shift)][k & Mask]; }
    const T& operator[](std::int32_t k) const
    {
        return m_chunks[static_cast<std::size_t>(k >> Shift)][k & Mask];
    }
    std::int32_t Size() const { return m_size; }
    /// Bytes of the room it holds.
    std::size_t RoomBytes() const { return m_chunks.size() * (std::size_t{1} << Shift) * sizeof(T); }
    /// Appends the value; returns its index.
    std::int32_t Add(const T& value)
    {
        const std::size_t chunk = static_cast<std::size_t>(m_size >> Shift);
        if (chunk == m_chunks.size())
            m_chunks.push_back(std::make_unique_for_overwrite<T[]>(std::size_t{1} << Shift));
        m_chunks[chunk][m_size & Mask] = value;
        return m_size++;
    }
    /// Empties it; the room stays for the next plot.
    void Clear() { m_size = 0; }
    /// Keeps the first `size` entries and gives back the room beyond them but for one chunk.
    void Truncate(std::int32_t size)
    {
        m_size = size < m_size ? size : m_size;
        const std::size_t needed = (static_cast<std::size_t>(m_size) >> Shift) + 1;
        if (m_chunks.size() > needed)
            m_chunks.resize(needed);
    }

private:
    static constexpr int Shift = 10;
    static constexpr std::int32_t Mask = (1 << Shift) - 1;
    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::int32_t m_size = 0;
};
