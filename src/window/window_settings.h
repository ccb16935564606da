#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "util/ini_file.h"

namespace korvid::window {

// The window as designed, before any setting moves it.
inline constexpr int DesignWidth = 640;
inline constexpr int DesignHeight = 498;
// What a Qt timer can wait, in whole minutes: its milliseconds are an int.
inline constexpr int MaxAutoSaveMinutes = 35'791;

// The settings file's section and the keys more than the settings value knows.
namespace settings_key {
inline constexpr std::string_view Section = "General";
inline constexpr std::string_view LastFahLog = "LastFahLog";
inline constexpr std::string_view Lang = "Lang";
inline constexpr std::string_view Clients = "Clients";
} // namespace settings_key

// All the screens together: no window is larger, its pixels would be allocated for nothing.
struct TScreenRoom {
    int Width = DesignWidth;
    int Height = DesignHeight;
};

// What the settings file keeps of the window between two runs. The member initialisers are the
// defaults of a first start.
struct TWindowSettings {
    int FormWidth = DesignWidth;
    int FormHeight = DesignHeight;
    // Centred on the screen when absent.
    std::optional<int> FormLeft;
    std::optional<int> FormTop;
    int TreeViewsHeight = 182;
    int InfoWidth = 249;
    std::string LastFahLog;
    bool AutoAddToHisto = true;
    bool AutoSaveHisto = true;
    bool AutoBackupHisto = true;
    bool SortByProject = true;
    bool ShowInfo = true;
    // Upper case; written only when the user picks a language.
    std::string Lang = "FRANCAIS";
    // Reads the open log again as the client writes it.
    bool FollowLog = true;
    // While added units wait for a save, the history is saved this often; 0 never.
    int AutoSaveMinutes = 10;
    // The v8 clients the live page follows: "host[:port][=name]", by commas or semicolons.
    // Read only: the file keeps it as the user wrote it.
    std::string Clients;

    bool operator==(const TWindowSettings&) const = default;
};

// Values out of range are brought within it, values that are no number read as the default.
[[nodiscard]] TWindowSettings ReadWindowSettings(const util::TIniFile& ini, TScreenRoom room);

// A minimized or maximized window has no size of its own worth keeping: the file keeps the last.
enum class TGeometry { Write, Keep };
void WriteWindowSettings(const TWindowSettings& settings, TGeometry geometry, util::TIniFile& ini);

// The settings are a convenience: a file that exists but could not be read is left alone (its
// other keys would be lost), and one that cannot be written is no reason to stop.
void UpdateSettingsFile(const std::filesystem::path& path,
                        const std::function<void(util::TIniFile&)>& edit);

} // namespace korvid::window
