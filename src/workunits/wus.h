#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/platform.h"
#include "workunits/wu.h"

namespace korvid::workunits {

struct TReadStats {
    int Added = 0;            // units appended to the collection
    int UnconvertedLines = 0; // lines with a value that could not be converted and was left
};

// An ordered collection that owns its work units and never holds two equal ones.
class TWUs {
public:
    TWUs();
    TWUs(const TWUs&) = delete;
    TWUs& operator=(const TWUs&) = delete;
    ~TWUs();

    // Reads a client log (or, with an empty path, the v5/v6 units of a stored history text) and
    // appends the units that are new here, in the order they close. The clock gives the year of
    // dated lines.
    TReadStats ReadLog(std::string_view content, std::string_view logPath,
                       const util::IClock& clock);

    // The same, giving content's memory back to the system as the reading passes it (for a
    // large file read once); content is left empty.
    TReadStats ReadLogFreeing(std::string&& content, std::string_view logPath,
                              const util::IClock& clock);

    // Takes a copy of a unit held elsewhere: its text into this collection's bytes, its steps and
    // every field; nothing is read again. False when an equal unit is here.
    bool AddCopy(const TWU& wu);

    // True when a unit equal to this one (same text less the log-path line) is here.
    [[nodiscard]] bool Contains(const TWU& wu) const;
    // The texts of all units in order: the stored form of the collection.
    [[nodiscard]] std::string AllText() const;

    [[nodiscard]] const TWU* Items(std::ptrdiff_t i) const;
    [[nodiscard]] std::ptrdiff_t Count() const
    {
        return static_cast<std::ptrdiff_t>(m_items.size());
    }
    [[nodiscard]] std::ptrdiff_t IndexOf(const TWU* wu) const;
    void Delete(std::ptrdiff_t i);
    // Deletes every unit the predicate picks, in one pass; the others keep their order.
    // Returns how many went.
    std::ptrdiff_t DeleteWhere(const std::function<bool(const TWU&)>& pick);
    void Clear();

private:
    // owned: content's own string, whose pages may be given back as the reading passes them.
    TReadStats Read(std::string_view content, std::string_view logPath, const util::IClock& clock,
                    std::string* owned);
    // Keeps a unit whose text the arena has just sealed, unless an equal one is here (twin, when
    // given, then points to it); returns the storage its steps had, or nothing when it was
    // refused and its text given back.
    std::optional<std::vector<TStep>> Adopt(std::unique_ptr<TWU> wu, const TWU** twin = nullptr);
    [[nodiscard]] const TWU* FindEqual(const TWU& wu, std::uint64_t hash) const;
    void Insert(std::unique_ptr<TWU> wu, std::uint64_t hash);
    // Returns the storage the steps had.
    std::vector<TStep> KeepSteps(TWU& wu);
    static std::size_t ArenaBytes(const TWU& wu);
    // Drops m_items[i] from the index and counts its bytes dead; the caller removes it.
    void Forget(std::size_t i);
    void CompactIfWasteful();

    std::vector<std::unique_ptr<TWU>> m_items; // reading order; addresses stay put
    std::unordered_multimap<std::uint64_t, const TWU*> m_byIdentity;
    std::shared_ptr<TTextArena> m_arena; // the texts of the units read here
    std::size_t m_deadBytes = 0;         // of deleted units, still in m_arena
};

} // namespace korvid::workunits
