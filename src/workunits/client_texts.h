#pragma once

// Stored texts of client units: cut again from a history's text and read into units.

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "workunits/step.h"
#include "workunits/wu.h"

namespace korvid::workunits {

class TTextArena;

struct TTextRun {
    std::string_view Text;
    bool Client = false;
};

// A stored text cut into runs of v5/v6 unit texts and of client unit texts, in order. A text
// without client lines is one run.
[[nodiscard]] std::vector<TTextRun> SplitStoredText(std::string_view content);

// Takes a unit read from a stored text: the storage its steps had, or nothing when it was refused
// as a copy of one already held.
using TKeepUnit = std::function<std::optional<std::vector<TStep>>(std::unique_ptr<TWU>)>;

// The units of stored client texts one after the other, as ReadClientLog wrote them. The client
// runs are read as one text, so that what lies between them cuts no client text; each v5/v6 run
// goes to readClassic where it lies among the client units. gone marks the kept lines (time-
// stamped, banners, log-path lines of the client runs, counted in order) to leave out; the lines
// of texts refused now are marked too, and then true is returned: the units a refused text lay
// between may read otherwise without it, so the caller reads again without them.
[[nodiscard]] bool ReadClientTexts(const std::vector<TTextRun>& runs, TTextArena& arena,
                                   const TKeepUnit& keep,
                                   const std::function<void(std::string_view)>& readClassic,
                                   std::vector<bool>& gone);

} // namespace korvid::workunits
