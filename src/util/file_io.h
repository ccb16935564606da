#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace korvid::util {

enum class TFileRead { Read, Missing, Failed };

struct TFileReadResult {
    TFileRead Outcome = TFileRead::Missing;
    std::string Bytes;   // when Read
    std::string Message; // when Failed: names the file and the cause
};

// Reads what the file holds now, even while another program keeps appending to it.
// "Missing" is only a file that does not exist; anything else that fails is Failed.
// A file larger than maxBytes is Failed without reading it.
[[nodiscard]] TFileReadResult ReadFileShared(const std::filesystem::path& path,
                                             std::size_t maxBytes = static_cast<std::size_t>(-1));

// The same, throwing TError for a missing or unreadable file.
[[nodiscard]] std::string ReadWholeFile(const std::filesystem::path& path);

struct TAtomicWriteHooks {
    // Runs once the new bytes are safely on disk, just before they replace the target.
    std::function<void()> BeforeRename;
    // Tests: called after each chunk with the bytes written so far.
    std::function<void(std::size_t)> AfterChunk;
};

// Writes a temporary file beside the target, syncs it and renames it over the target, so the
// target is always either the old file or the new one. Throws TError naming the file.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const TAtomicWriteHooks& hooks = {});

} // namespace korvid::util
