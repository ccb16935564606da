#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>

namespace korvid::workunits {

// Gives the pages of a text back to the system once the reading has passed them, so that reading
// a large file holds little more than the units it makes.
class TPassedBytes {
public:
    explicit TPassedBytes(std::string* owned)
    {
        if (owned != nullptr && owned->size() >= Step) {
            m_begin = owned->data();
            m_end = m_begin + owned->size();
            m_released = RoundUp(m_begin);
        }
    }

    // Nothing before oldest is read again.
    void Before(const char* oldest)
    {
        if (m_begin == nullptr || oldest < m_begin || oldest > m_end ||
            oldest - m_released < static_cast<std::ptrdiff_t>(Step))
            return;
        char* until = m_released + (oldest - m_released) / Huge * Huge;
        ::madvise(m_released, static_cast<std::size_t>(until - m_released), MADV_DONTNEED);
        m_released = until;
    }

private:
    static constexpr std::size_t Huge = std::size_t{2} << 20;
    static constexpr std::size_t Step = 4 * Huge;
    static char* RoundUp(char* at)
    {
        const auto address = reinterpret_cast<std::uintptr_t>(at);
        return at + ((Huge - address % Huge) % Huge);
    }

    char* m_begin = nullptr;
    char* m_end = nullptr;
    char* m_released = nullptr; // pages before this one are given back
};

} // namespace korvid::workunits
