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
        EndLinesAtZeroRuns(result.Bytes);
        return std::move(result.Bytes);
    case util::TFileRead::Missing:
    case util::TFileRead::Failed:
        break;
    }
    throw util::TError(util::CannotRead(result.Message));
}

} // namespace

void EndLinesAtZeroRuns(std::string& text)
{
    std::size_t out = text.find('\0');
    if (out == std::string::npos)
        return;
    for (std::size_t in = out; in < text.size();) {
        if (text[in] == '\0') {
            while (in < text.size() && text[in] == '\0')
                ++in;
            text[out++] = '\n'; // after the run: out may equal where it began
        } else {
            text[out++] = text[in++];
        }
    }
    text.resize(out);
}

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
