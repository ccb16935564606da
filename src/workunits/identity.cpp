#include "workunits/identity.h"

#include <algorithm>
#include <cstring>

namespace korvid::workunits {
namespace {

constexpr std::string_view Marker = "\r\n- FahLog Path:";

// Hashes a byte sequence given in pieces, eight bytes at a time, so the result does not depend
// on where the pieces are cut.
class THasher {
public:
    void Update(std::string_view bytes)
    {
        while (!bytes.empty() && m_pending > 0 && m_pending < 8) {
            m_buffer[m_pending++] = bytes.front();
            bytes.remove_prefix(1);
            if (m_pending == 8) {
                Mix(Load(m_buffer));
                m_pending = 0;
            }
        }
        while (bytes.size() >= 8) {
            Mix(Load(bytes.data()));
            bytes.remove_prefix(8);
        }
        for (char c : bytes)
            m_buffer[m_pending++] = c;
    }

    std::uint64_t Finish()
    {
        std::memset(m_buffer + m_pending, 0, 8 - m_pending);
        Mix(Load(m_buffer) ^ (std::uint64_t{m_pending} << 56));
        std::uint64_t h = m_state ^ m_length;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return h;
    }

private:
    static std::uint64_t Load(const char* bytes)
    {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        return word;
    }
    void Mix(std::uint64_t word)
    {
        m_state = (m_state ^ word) * 0x9E3779B97F4A7C15ULL;
        m_state ^= m_state >> 29;
        m_length += 8;
    }

    std::uint64_t m_state = 0x243F6A8885A308D3ULL;
    std::uint64_t m_length = 0;
    char m_buffer[8] = {};
    std::size_t m_pending = 0;
};

} // namespace

TIdentity IdentityOf(std::string_view text)
{
    const auto p = text.find(Marker);
    if (p == std::string_view::npos)
        return {text, {}};
    // From the LF after the CR at p up to and including the CR of the next line break: the line
    // before keeps its CR LF, the log-path line and one line break are gone.
    auto next = text.find("\r\n", p + Marker.size());
    if (next == std::string_view::npos)
        return {text.substr(0, p + 1), {}};
    // The client reader places the config's user and team lines after its path line; units
    // stored before it did are the same units.
    for (int placed = 0; placed < 2; ++placed) {
        const auto end = text.find("\r\n", next + 2);
        const auto line = text.substr(next + 2, end == std::string_view::npos ? 0 : end - next - 2);
        if (!line.ends_with("'/>") || (line.find("<user v='") == std::string_view::npos &&
                                       line.find("<team v='") == std::string_view::npos))
            break;
        next = end;
    }
    return {text.substr(0, p + 1), text.substr(next + 1)};
}

std::uint64_t TIdentity::Hash() const
{
    THasher hasher;
    hasher.Update(Head);
    hasher.Update(Tail);
    return hasher.Finish();
}

bool TIdentity::operator==(const TIdentity& other) const
{
    if (Size() != other.Size())
        return false;
    // Compare the two concatenations piece by piece.
    const std::string_view a[2] = {Head, Tail};
    const std::string_view b[2] = {other.Head, other.Tail};
    std::size_t ai = 0, bi = 0, ao = 0, bo = 0;
    while (ai < 2 && bi < 2) {
        if (ao == a[ai].size()) {
            ++ai, ao = 0;
            continue;
        }
        if (bo == b[bi].size()) {
            ++bi, bo = 0;
            continue;
        }
        const std::size_t n = std::min(a[ai].size() - ao, b[bi].size() - bo);
        if (std::memcmp(a[ai].data() + ao, b[bi].data() + bo, n) != 0)
            return false;
        ao += n;
        bo += n;
    }
    return true;
}

} // namespace korvid::workunits
