#pragma once

// Logs of the v5/v6 client (FAHlog.txt): lines "[HH:MM:SS] ...", one unit at a time, and the
// stored texts of such units. docs/log-formats.md has the rules.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workunits/wu.h"

namespace korvid::workunits {

class TTextArena;

// Takes a unit whose text the arena has just sealed: the storage its steps had, or nothing when
// it was refused as a copy of one already held, and twin then points to that one.
using TAdoptUnit =
    std::function<std::optional<std::vector<TStep>>(std::unique_ptr<TWU>, const TWU*& twin)>;

// The units of a v5/v6 log (or of a stored text, with an empty path) in the order they close,
// the one still open at the end last. now gives the year of dated lines. owned, when given, is
// content's own string, whose pages are given back as the reading passes them. Returns how many
// lines held a value that could not be converted.
int ReadClassicLog(std::string_view content, std::string_view logPath, double now,
                   TTextArena& arena, const TAdoptUnit& adopt, std::string* owned = nullptr);

} // namespace korvid::workunits
