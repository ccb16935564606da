#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace korvid::workunits {

// Larger logs are refused with a message rather than exhausting memory.
constexpr std::size_t MaxLogBytes = std::size_t{1} << 30;

// The text to read for a chosen log: for a file named exactly FAHlog.txt with a FAHlog-Prev.txt
// beside it, the previous log, CR LF, then the current one; otherwise the file alone.
// Files are read as they are now, while the client may still be writing them.
// Throws util::TError naming the file that could not be read.
[[nodiscard]] std::string ReadFahLogText(const std::filesystem::path& chosen);

} // namespace korvid::workunits
