#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "util/platform.h"
#include "workunits/wu.h"

namespace korvid::workunits {

// The label of a message key ("msgProject"), in the user's language; "" for an unknown key.
using TLabels = std::function<std::string(std::string_view key)>;

// A unit with more expected frames than this gets this many frame columns: the count comes
// from the log, and a damaged one must not make a file of gigabytes.
constexpr int MaxCsvFrames = 100'000;

// The unit as labelled lines for a spreadsheet, separated by the regional list separator,
// numbers with its decimal separator. Fields holding the separator, a double quote, CR or LF are
// quoted (inner quotes doubled). No line end after the last line.
[[nodiscard]] std::string BuildCsvText(const TWU& wu, const TLabels& labels,
                                       const util::IRegionalSettings& regional);

// BuildCsvText and a final CR LF, written atomically. Throws util::TError naming the file.
void SaveCsv(const TWU& wu, const std::filesystem::path& fileName, const TLabels& labels,
             const util::IRegionalSettings& regional);

} // namespace korvid::workunits
