#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvid::util {

// A failure that ends what the user asked for; the text names the file and the cause.
class TError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Human text for an errno value.
[[nodiscard]] std::string ErrorText(int errorNumber);

// How every message names a file and what went wrong with it: "PATH: cause".
[[nodiscard]] std::string FileCause(const std::filesystem::path& path, std::string_view cause);
[[nodiscard]] std::string FileCause(const std::filesystem::path& path, int errorNumber);

// "Cannot read PATH: cause" and "Cannot write PATH: cause", from a FileCause.
[[nodiscard]] std::string CannotRead(std::string_view fileCause);
[[nodiscard]] std::string CannotWrite(std::string_view fileCause);

} // namespace korvid::util
