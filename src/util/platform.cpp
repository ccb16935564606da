#include "util/platform.h"

#include <cstdio>
#include <ctime>

#include <cstdlib>
#include <system_error>

#include <sys/time.h>
#include <unistd.h>

#include "util/date_time.h"

namespace korvid::util {

double TSystemClock::Now() const
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    const std::time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &local);
    const auto date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const auto time =
        EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
    return date.value_or(0) + time.value_or(0) + static_cast<double>(tv.tv_usec) / 1e6 / 86400.0;
}

} // namespace korvid::util

namespace korvid::util {

std::string TFixedRegionalSettings::FormatShortDate(double dateTime) const
{
    return FormatIso(dateTime).substr(0, 10);
}

std::string TFixedRegionalSettings::FormatShortTime(double dateTime) const
{
    const TTimeOfDay time = DecodeTime(dateTime);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", time.Hour, time.Minute);
    return text;
}

} // namespace korvid::util

namespace korvid::util {
namespace {

constexpr const char* AppFolder = "korvid";
// Installed, the files take the program's name, whatever the executable is called.
constexpr const char* InstalledBaseName = "Korvid";

// An XDG base folder: the variable when it holds an absolute path, else HOME + fallback.
std::optional<std::filesystem::path> XdgFolder(const TGetEnv& env, std::string_view variable,
                                               const char* fallback)
{
    if (const auto value = env(variable); value && !value->empty() && value->front() == '/')
        return std::filesystem::path(*value);
    if (const auto home = env("HOME"); home && !home->empty() && home->front() == '/')
        return std::filesystem::path(*home) / fallback;
    return std::nullopt;
}

} // namespace

TFileLocations ChooseFileLocations(const TProgramPlace& place, const TGetEnv& env)
{
    const bool installed = !place.SharedData.empty();
    if (place.Writable && !installed)
        return {place.Folder / (place.BaseName + ".ini"),
                place.Folder,
                {place.Folder},
                place.BaseName,
                false};
    const auto config = XdgFolder(env, "XDG_CONFIG_HOME", ".config");
    const auto data = XdgFolder(env, "XDG_DATA_HOME", ".local/share");
    const std::filesystem::path shipped = installed ? place.SharedData : place.Folder;
    if (!config || !data)
        return {place.Folder / (place.BaseName + ".ini"),
                place.Folder,
                {shipped},
                place.BaseName,
                false};
    const std::filesystem::path userData = *data / AppFolder;
    return {*config / AppFolder / (std::string(InstalledBaseName) + ".ini"),
            userData,
            {userData, shipped},
            InstalledBaseName,
            true};
}

TProgramPlace InspectProgramPlace(const std::filesystem::path& folder, std::string baseName)
{
    TProgramPlace place{folder, std::move(baseName), access(folder.c_str(), W_OK) == 0, {}};
    std::error_code ec;
    const std::filesystem::path shared = folder.parent_path() / "share" / AppFolder;
    if (folder.filename() == "bin" && std::filesystem::is_directory(shared, ec))
        place.SharedData = shared;
    return place;
}

std::optional<std::string> GetEnv(std::string_view name)
{
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

} // namespace korvid::util
