#include "workunits/log_files.h"

#include <system_error>

#include "util/error.h"
#include "util/file_io.h"

namespace korvid::workunits {
namespace {

std::string ReadLogFile(const std::filesystem::path& path)
{
    auto result = util::ReadFileShared(path, MaxLogBytes);
    switch (result.Outcome) {
    case util::TFileRead::Read:
        return std::move(result.Bytes);
    case util::TFileRead::Missing:
    case util::TFileRead::Failed:
        break;
    }
    throw util::TError(util::CannotRead(result.Message));
}

} // namespace

std::string ReadFahLogText(const std::filesystem::path& chosen)
{
    if (chosen.filename() == "FAHlog.txt") {
        const auto previous = chosen.parent_path() / "FAHlog-Prev.txt";
        std::error_code ec;
        if (std::filesystem::is_regular_file(previous, ec)) {
            std::string text = ReadLogFile(previous);
            text += "\r\n";
            text += ReadLogFile(chosen);
            return text;
        }
    }
    return ReadLogFile(chosen);
}

} // namespace korvid::workunits
