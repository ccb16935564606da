#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "history/compressed_text.h"
#include "history/history_store.h"
#include "util/platform.h"
#include "workunits/wus.h"

namespace korvid::history {

// The units of the history and Korvid.dat that keeps them: loading, saving, what an addition
// is, the room left and the guard over a file that was not read whole.
class THistory {
public:
    THistory(const std::filesystem::path& programFolder, const util::IClock& clock,
             std::size_t maxBytes = MaxHistoBytes);

    [[nodiscard]] const workunits::TWUs& WUs() const { return *m_wus; }
    [[nodiscard]] THistoStore& Store() { return m_store; }
    [[nodiscard]] const THistoStore& Store() const { return m_store; }

    // Reads Korvid.dat. When Loaded, its units take the place of those held, and replacing runs
    // just before, for whoever points at the old ones. A file that is there but not read whole
    // (Damaged, TooLarge, Loaded with a Message) leaves the units as they were, or loads what it
    // could, and turns the guard on.
    THistoLoadResult Load(const std::function<void()>& replacing = {});

    // Korvid.dat was there but not read whole: it is written only when the user says so.
    [[nodiscard]] bool Guarded() const { return m_guarded; }
    // Writes the units as Korvid.dat, atomically, whatever the guard says, and then lifts it.
    // Throws util::TError naming the file.
    void Save();

    // The bytes Korvid.dat's text holds: v5/v6 texts alone as before, framed when needed.
    [[nodiscard]] std::string StoredText() const;

    struct TAdding {
        int Added = 0;         // copies taken
        int Candidates = 0;    // units chosen that were not here yet
        std::size_t Total = 0; // text bytes the history would hold with them
        bool NoRoom = false;   // none taken: Total would pass MaxBytes
    };
    // Takes copies of the units of from that pick chooses and that are not here yet, in order;
    // none at all when they do not all fit.
    TAdding Add(const workunits::TWUs& from,
                const std::function<bool(const workunits::TWU&)>& pick);
    TAdding Add(const workunits::TWU& wu);

    void Delete(std::ptrdiff_t i) { m_wus->Delete(i); }
    std::ptrdiff_t DeleteWhere(const std::function<bool(const workunits::TWU&)>& pick)
    {
        return m_wus->DeleteWhere(pick);
    }
    void Clear() { m_wus->Clear(); }
    [[nodiscard]] std::size_t MaxBytes() const { return m_maxBytes; }

private:
    [[nodiscard]] std::size_t TextBytes() const;

    THistoStore m_store;
    const util::IClock& m_clock;
    std::size_t m_maxBytes;
    std::unique_ptr<workunits::TWUs> m_wus;
    bool m_guarded = false;
};

// Reads a history's text into units: framed units each from its own text, an unframed text
// with the v5/v6 rules (and the client texts that earlier versions stored among them). Sets
// cut when an unframed text ended at a zero byte; false when the frame is damaged.
[[nodiscard]] bool ReadStoredText(std::string_view text, workunits::TWUs& wus,
                                  const util::IClock& clock, std::size_t* cut = nullptr);

// Reads a history file's units into wus. Loaded with a Message when an unframed text ended at
// a zero byte; Damaged, with nothing added, when its frame does not match its bytes.
[[nodiscard]] THistoLoadResult LoadHistoUnits(const std::filesystem::path& path,
                                              workunits::TWUs& wus, const util::IClock& clock);

// The text a collection is stored as.
[[nodiscard]] std::string StoredTextOf(const workunits::TWUs& wus);

} // namespace korvid::history
