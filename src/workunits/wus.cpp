#include "workunits/wus.h"

#include <cstdint>

#include "workunits/classic_log.h"
#include "workunits/client_line.h"
#include "workunits/client_log.h"
#include "workunits/identity.h"
#include "workunits/passed_bytes.h"
#include "workunits/text_arena.h"

namespace korvid::workunits {

TWUs::TWUs() : m_arena(std::make_shared<TTextArena>()) {}

TWUs::~TWUs() = default;

TReadStats TWUs::ReadLog(std::string_view content, std::string_view logPath,
                         const util::IClock& clock)
{
    return Read(content, logPath, clock, nullptr);
}

TReadStats TWUs::ReadLogFreeing(std::string&& content, std::string_view logPath,
                                const util::IClock& clock)
{
    std::string taken = std::move(content);
    content.clear();
    return Read(taken, logPath, clock, &taken);
}

TReadStats TWUs::Read(std::string_view content, std::string_view logPath, const util::IClock& clock,
                      std::string* owned)
{
    TReadStats stats;
    auto adopt = [&](std::unique_ptr<TWU> wu) {
        auto spare = Adopt(std::move(wu));
        stats.Added += spare.has_value() ? 1 : 0;
        return spare ? std::move(*spare) : std::vector<TStep>{};
    };
    auto readClassic = [&](std::string_view text, std::string_view path, std::string* bytes) {
        auto adoptClassic = [&](std::unique_ptr<TWU> wu, const TWU*& twin) {
            auto spare = Adopt(std::move(wu), &twin);
            stats.Added += spare.has_value() ? 1 : 0;
            return spare;
        };
        stats.UnconvertedLines +=
            ReadClassicLog(text, path, clock.Now(), *m_arena, adoptClassic, bytes);
    };
    if (!logPath.empty()) {
        if (DetectDialect(content) == TLogDialect::Classic) {
            readClassic(content, logPath, owned);
            return stats;
        }
        m_arena->ExpectBytes(content.size());
        TPassedBytes passed(owned);
        ReadClientLog(content, logPath, *m_arena, adopt, &passed);
        return stats;
    }
    // A stored text: the v5/v6 units of a history.
    readClassic(content, {}, owned);
    return stats;
}

std::optional<std::vector<TStep>> TWUs::Adopt(std::unique_ptr<TWU> wu, const TWU** twin)
{
    const std::uint64_t hash = IdentityOf(wu->Text).Hash();
    if (const TWU* equal = FindEqual(*wu, hash)) {
        if (twin != nullptr)
            *twin = equal;
        m_arena->GiveBack(wu->Text);
        return std::nullopt;
    }
    std::vector<TStep> spare = KeepSteps(*wu);
    Insert(std::move(wu), hash);
    return spare;
}

bool TWUs::AddCopy(const TWU& wu)
{
    const std::uint64_t hash = IdentityOf(wu.Text).Hash();
    if (FindEqual(wu, hash) != nullptr)
        return false;
    auto copy = std::make_unique<TWU>(wu);
    m_arena->Append(wu.Text);
    copy->Text = m_arena->Seal();
    KeepSteps(*copy); // copies the steps out of wu's bytes while they are still alive
    Insert(std::move(copy), hash);
    return true;
}

const TWU* TWUs::FindEqual(const TWU& wu, std::uint64_t hash) const
{
    const TIdentity identity = IdentityOf(wu.Text);
    const auto [first, last] = m_byIdentity.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (IdentityOf(it->second->Text) == identity)
            return it->second;
    return nullptr;
}

bool TWUs::Contains(const TWU& wu) const
{
    return FindEqual(wu, IdentityOf(wu.Text).Hash()) != nullptr;
}

void TWUs::Insert(std::unique_ptr<TWU> wu, std::uint64_t hash)
{
    m_byIdentity.emplace(hash, wu.get());
    m_items.push_back(std::move(wu));
}

// The steps of a closed unit join its text in the arena.
std::vector<TStep> TWUs::KeepSteps(TWU& wu)
{
    wu.TextBytes = m_arena;
    if (wu.Steps.Empty())
        return {};
    return wu.Steps.Fix(
        m_arena->KeepArray(wu.Steps.begin(), static_cast<std::size_t>(wu.Steps.Count())));
}

std::size_t TWUs::ArenaBytes(const TWU& wu)
{
    return wu.Text.size() + static_cast<std::size_t>(wu.Steps.Count()) * sizeof(TStep);
}

std::string TWUs::AllText() const
{
    std::size_t size = 0;
    for (const auto& wu : m_items)
        size += wu->Text.size();
    std::string text;
    text.reserve(size);
    for (const auto& wu : m_items)
        text += wu->Text;
    return text;
}

const TWU* TWUs::Items(std::ptrdiff_t i) const
{
    return i >= 0 && i < Count() ? m_items[static_cast<std::size_t>(i)].get() : nullptr;
}

std::ptrdiff_t TWUs::IndexOf(const TWU* wu) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == wu)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

void TWUs::Forget(std::size_t i)
{
    const TWU& wu = *m_items[i];
    const auto [first, last] = m_byIdentity.equal_range(IdentityOf(wu.Text).Hash());
    for (auto it = first; it != last; ++it)
        if (it->second == &wu) {
            m_byIdentity.erase(it);
            break;
        }
    m_deadBytes += ArenaBytes(wu);
}

void TWUs::Delete(std::ptrdiff_t i)
{
    if (Items(i) == nullptr)
        return;
    Forget(static_cast<std::size_t>(i));
    m_items.erase(m_items.begin() + i);
    CompactIfWasteful();
}

std::ptrdiff_t TWUs::DeleteWhere(const std::function<bool(const TWU&)>& pick)
{
    std::ptrdiff_t removed = 0;
    auto kept = m_items.begin();
    for (auto& wu : m_items) {
        if (!pick(*wu)) {
            *kept++ = std::move(wu);
            continue;
        }
        Forget(static_cast<std::size_t>(&wu - m_items.data()));
        wu.reset();
        ++removed;
    }
    m_items.erase(kept, m_items.end());
    CompactIfWasteful();
    return removed;
}

void TWUs::Clear()
{
    m_byIdentity.clear();
    m_items.clear();
    m_arena = std::make_shared<TTextArena>();
    m_deadBytes = 0;
}

// Deleted units leave their bytes in the arena; once they outweigh the living texts, those are
// copied into a new one, which costs no more than the bytes deleted since the last time.
void TWUs::CompactIfWasteful()
{
    constexpr std::size_t Slack = std::size_t{1} << 20;
    const std::size_t live = m_arena->UsedBytes() - m_deadBytes;
    if (m_deadBytes < Slack || m_deadBytes < live)
        return;
    const std::shared_ptr<TTextArena> old = std::move(m_arena); // alive while copied from
    m_arena = std::make_shared<TTextArena>();
    m_arena->ExpectBytes(live);
    for (auto& wu : m_items) {
        m_arena->Append(wu->Text);
        wu->Text = m_arena->Seal();
        KeepSteps(*wu);
    }
    m_deadBytes = 0;
}

} // namespace korvid::workunits
