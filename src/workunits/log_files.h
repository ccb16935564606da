#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace korvid::workunits {

// Larger logs are refused with a message rather than exhausting memory.
constexpr std::size_t MaxLogBytes = std::size_t{1} << 30;

// A client that crashes leaves blocks of zero bytes and writes on after them. Each run becomes
// one line end: the lines after it are read, and no unit text holds a zero byte (a stored
// history ends at its first one).
void EndLinesAtZeroRuns(std::string& text);

// The text to read for a chosen log: for a file named exactly FAHlog.txt with a FAHlog-Prev.txt
// beside it, the previous log, CR LF, then the current one; for a file named exactly log.txt
// with a folder logs/ beside it, the rotated logs/log-*.txt in the order of their names (the
// date and time they were rotated), then log.txt, each starting on a line of its own;
// otherwise the file alone. Zero runs end lines as EndLinesAtZeroRuns says. Files are read as
// they are now, while the client may still be writing them. Throws util::TError naming the file
// that could not be read.
[[nodiscard]] std::string ReadFahLogText(const std::filesystem::path& chosen);

// What ReadFahLogText reads before the chosen file, in order.
[[nodiscard]] std::vector<std::filesystem::path> EarlierLogs(const std::filesystem::path& chosen);

} // namespace korvid::workunits
