#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
    TWUs() = default;
    TWUs(const TWUs&) = delete;
    TWUs& operator=(const TWUs&) = delete;
    ~TWUs();

    // Reads a client log (or a stored history text, with an empty path) and appends the units
    // that are new here, in the order they close. The clock gives the year of dated lines.
    TReadStats ReadLog(std::string_view content, std::string_view logPath,
                       const util::IClock& clock);

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
    [[nodiscard]] bool ContainsHashed(const TWU& wu, std::uint64_t hash) const;
    // Appends unless an equal unit is here; the unit is freed otherwise.
    bool Close(std::unique_ptr<TWU> wu);

    std::vector<std::unique_ptr<TWU>> m_items; // reading order; addresses stay put
    std::unordered_multimap<std::uint64_t, const TWU*> m_byIdentity;
};

} // namespace korvid::workunits
