#include "workunits/log_files.h"

#include <algorithm>
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

std::vector<std::filesystem::path> EarlierLogs(const std::filesystem::path& chosen)
{
    std::vector<std::filesystem::path> earlier;
    std::error_code ec;
    if (chosen.filename() == "FAHlog.txt") {
        const auto previous = chosen.parent_path() / "FAHlog-Prev.txt";
        if (std::filesystem::is_regular_file(previous, ec))
            earlier.push_back(previous);
    } else if (chosen.filename() == "log.txt") {
        const auto folder = chosen.parent_path() / "logs";
        if (std::filesystem::is_directory(folder, ec))
            for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
                const std::string name = entry.path().filename().string();
                if (name.starts_with("log-") && name.ends_with(".txt") && entry.is_regular_file(ec))
                    earlier.push_back(entry.path());
            }
        // log-YYYYMMDD-HHMMSS.txt: the names sort as the rotations happened.
        std::sort(earlier.begin(), earlier.end());
    }
    return earlier;
}

std::string ReadFahLogText(const std::filesystem::path& chosen)
{
    const auto earlierLogs = EarlierLogs(chosen);
    // Moved, not appended to an empty text: a copy would hold a large log twice.
    if (earlierLogs.empty())
        return ReadLogFile(chosen);
    std::string text;
    for (const auto& earlier : earlierLogs) {
        text += ReadLogFile(earlier);
        // FAHlog-Prev.txt is always followed by CR LF; a rotated log only needs its last line
        // ended.
        if (chosen.filename() == "FAHlog.txt" || (!text.empty() && text.back() != '\n'))
            text += "\r\n";
        if (text.size() > MaxLogBytes)
            throw util::TError(util::CannotRead(util::FileCause(chosen, "the logs are too large")));
    }
    text += ReadLogFile(chosen);
    return text;
}

} // namespace korvid::workunits
