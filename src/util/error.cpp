#include "util/error.h"

#include <cstring>

namespace korvid::util {

std::string ErrorText(int errorNumber)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be the buffer.
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

std::string FileCause(const std::filesystem::path& path, std::string_view cause)
{
    return path.string() + ": " + std::string(cause);
}

std::string FileCause(const std::filesystem::path& path, int errorNumber)
{
    return FileCause(path, ErrorText(errorNumber));
}

std::string CannotRead(std::string_view fileCause)
{
    return "Cannot read " + std::string(fileCause);
}

std::string CannotWrite(std::string_view fileCause)
{
    return "Cannot write " + std::string(fileCause);
}

} // namespace korvid::util
