#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace korvid::workunits {

// The bytes of the unit texts and steps of one collection. Texts are written in place, one open
// text at a time, into large blocks backed by huge pages where the system has them: a fresh process
// reading a large log spent most of its time faulting in the small pages of separate strings.
// Bytes are given back only with the whole arena.
class TTextArena {
public:
    TTextArena() = default;
    TTextArena(const TTextArena&) = delete;
    TTextArena& operator=(const TTextArena&) = delete;
    ~TTextArena();

    // Size of the next block taken, for a read expected to keep about this many bytes.
    void ExpectBytes(std::size_t bytes);
    // Appends to the open text (there is always one, maybe empty).
    void Append(std::string_view bytes);
    // Ends the open text and returns it; the bytes stay put for the arena's life.
    std::string_view Seal();
    // Forgets the open text.
    void Drop() { m_used = m_openStart; }
    // Takes back the text Seal just gave, when nothing was sealed since.
    void GiveBack(std::string_view sealed);
    // A copy of bytes, aligned for any plain object; only between texts (none open).
    const void* Keep(const void* bytes, std::size_t size);
    template <typename T> const T* KeepArray(const T* items, std::size_t count)
    {
        return static_cast<const T*>(Keep(items, count * sizeof(T)));
    }
    [[nodiscard]] std::size_t UsedBytes() const { return m_total; }

private:
    void Grow(std::size_t needed);

    struct TBlock {
        char* Base = nullptr;
        std::size_t Size = 0;
        std::size_t Mapped = 0; // what munmap gets back
        void* MapBase = nullptr;
    };
    std::vector<TBlock> m_blocks;
    std::size_t m_used = 0;      // in the last block
    std::size_t m_openStart = 0; // in the last block
    std::size_t m_nextBlock = 0;
    std::size_t m_total = 0; // sealed bytes
};

} // namespace korvid::workunits
