#include "workunits/text_arena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace korvid::workunits {
namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;
constexpr std::size_t SmallestBlock = std::size_t{64} << 10;
constexpr std::size_t LargestGrowth = std::size_t{64} << 20;

std::size_t RoundUp(std::size_t value, std::size_t step)
{
    return (value + step - 1) / step * step;
}

} // namespace

TTextArena::~TTextArena()
{
    for (const TBlock& block : m_blocks)
        ::munmap(block.MapBase, block.Mapped);
}

void TTextArena::ExpectBytes(std::size_t bytes)
{
    m_nextBlock = std::max(m_nextBlock, bytes);
}

void TTextArena::Append(std::string_view bytes)
{
    if (m_blocks.empty() || m_blocks.back().Size - m_used < bytes.size())
        Grow(bytes.size());
    std::memcpy(m_blocks.back().Base + m_used, bytes.data(), bytes.size());
    m_used += bytes.size();
}

std::string_view TTextArena::Seal()
{
    if (m_blocks.empty())
        return {};
    const std::string_view text(m_blocks.back().Base + m_openStart, m_used - m_openStart);
    m_openStart = m_used;
    m_total += text.size();
    return text;
}

void TTextArena::GiveBack(std::string_view sealed)
{
    if (m_blocks.empty() || sealed.empty() ||
        sealed.data() + sealed.size() != m_blocks.back().Base + m_used)
        return;
    m_used = m_openStart = static_cast<std::size_t>(sealed.data() - m_blocks.back().Base);
    m_total -= sealed.size();
}

const void* TTextArena::Keep(const void* bytes, std::size_t size)
{
    constexpr std::size_t Align = alignof(std::max_align_t);
    std::size_t at = RoundUp(m_used, Align);
    if (m_blocks.empty() || m_blocks.back().Size < at + size) {
        Grow(size);
        at = 0;
    }
    m_used = m_openStart = at;
    Append({static_cast<const char*>(bytes), size});
    return Seal().data();
}

// A new block, with the open text moved into it. Address space is cheap and pages are taken only
// as they are written, so blocks are sized generously.
void TTextArena::Grow(std::size_t needed)
{
    const std::size_t open = m_used - m_openStart;
    std::size_t size = std::max({m_nextBlock, SmallestBlock, 2 * (open + needed)});
    const bool huge = size >= HugePage;
    size = RoundUp(size, huge ? HugePage : 4096);
    // Aligned to a huge page so that every 2 MiB of the block can be one.
    const std::size_t mapped = size + (huge ? HugePage : 0);
    void* map = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        throw std::bad_alloc();
    char* base = static_cast<char*>(map);
    if (huge) {
        base = reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(map), HugePage));
        ::madvise(base, size, MADV_HUGEPAGE); // advice only
    }
    if (open > 0)
        std::memcpy(base, m_blocks.back().Base + m_openStart, open);
    m_blocks.push_back({base, size, mapped, map});
    m_openStart = 0;
    m_used = open;
    // Many small reads (a history built unit by unit) still take few blocks.
    m_nextBlock = std::min(2 * size, LargestGrowth);
}

} // namespace korvid::workunits
