#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "util/file_io.h"

namespace korvid::history {

// The largest text a history file may announce; a larger one is refused when loading, so one
// that large is also refused when saving: it could never be read back.
inline constexpr std::size_t MaxHistoBytes = std::size_t{1} << 30;

// Deflate gives at most 1032 bytes for each compressed byte (a 258-byte match in two bits): a
// stream announcing more than that for its size is damaged, whatever its first bytes say.
inline constexpr std::size_t MaxInflateRatio = 1032;

inline constexpr std::string_view TooLargeError = "InflateStream: Result > 1 GByte?";
inline constexpr std::string_view NoSizeError = "InflateStream: corrupt data (no size)?";

// One zlib stream (level 9, 15 window bits, memory level 8) of the text's length as four
// little-endian bytes followed by the text. Throws util::TError when the compressor fails.
[[nodiscard]] std::string DeflateStream(std::string_view source);

enum class TInflate { Inflated, Damaged, TooLarge };

struct TInflateResult {
    TInflate Outcome = TInflate::Damaged;
    std::string Bytes; // the announced N bytes, when Inflated
    std::string Error; // why not, when Damaged or TooLarge
};

// The N bytes the stream announces, only when the stream is whole: it must give exactly N bytes
// and end with a matching Adler-32. Bytes after the end of the stream are ignored. N is checked
// against MaxHistoBytes and MaxInflateRatio before anything is allocated for it.
[[nodiscard]] TInflateResult TryInflateStream(std::string_view compressed);

// The same, throwing util::TError with the result's Error.
[[nodiscard]] std::string InflateStream(std::string_view compressed);

// Refuses (util::TError, nothing written) a text over MaxHistoBytes; otherwise writes
// DeflateStream(text) through util::WriteFileAtomically, so the path keeps its old content
// whenever anything fails.
void SaveCompressedText(std::string_view text, const std::filesystem::path& path,
                        const util::TAtomicWriteHooks& hooks = {});

// Missing is only a file that does not exist. TooLarge: the stream announces more than
// MaxHistoBytes, or the file is far larger than any history file can be. Damaged: anything
// else that keeps the text from being read whole.
enum class THistoLoad { Missing, Loaded, Damaged, TooLarge };

struct THistoLoadResult {
    THistoLoad Outcome = THistoLoad::Missing;
    // When Loaded: the stored text, whole.
    std::string Text;
    // For the user, naming the file: why it was not loaded when Damaged or TooLarge; when Loaded,
    // empty unless not all of the text could be read into units.
    std::string Message;
};

[[nodiscard]] THistoLoadResult ReadCompressedText(const std::filesystem::path& path);

// The loaded text; throws util::TError naming the file when it is missing, damaged or too
// large. For callers that only show the text or the error (korvid-inspect).
[[nodiscard]] std::string LoadCompressedText(const std::filesystem::path& path);

} // namespace korvid::history
