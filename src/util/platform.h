#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::util {

// What the platform gives, behind small seams so tests can drive it.

struct IClock {
    virtual ~IClock() = default;
    // Local time, days since 1899-12-30.
    [[nodiscard]] virtual double Now() const = 0;
};

struct IRegionalSettings {
    virtual ~IRegionalSettings() = default;
    [[nodiscard]] virtual std::string FormatShortDate(double dateTime) const = 0;
    // Hours and minutes.
    [[nodiscard]] virtual std::string FormatShortTime(double dateTime) const = 0;
    [[nodiscard]] virtual char DecimalSeparator() const = 0;
    [[nodiscard]] virtual char ListSeparator() const = 0;
};

struct IProgramFolder {
    virtual ~IProgramFolder() = default;
    // Where Korvid writes: history and its backup, csv/, png/; the executable's folder unless it
    // is installed.
    [[nodiscard]] virtual std::filesystem::path Path() const = 0;
    // Where the settings file lies.
    [[nodiscard]] virtual std::filesystem::path SettingsFolder() const { return Path(); }
    // Where language files are looked for, the first folder first.
    [[nodiscard]] virtual std::vector<std::filesystem::path> LanguageFolders() const
    {
        return {Path()};
    }
};

// What decides where Korvid keeps its files.
struct TProgramPlace {
    std::filesystem::path Folder; // the executable's folder
    std::string BaseName;         // the executable's file name without its extension
    bool Writable = true;
    // <prefix>/share/korvid when the executable lies in <prefix>/bin and that folder exists:
    // an installed program, whose folders belong to the system even when root may write them.
    std::filesystem::path SharedData;
};

struct TFileLocations {
    std::filesystem::path Settings; // the settings file
    std::filesystem::path Data;     // history, backup, csv/, png/, the user's language files
    std::vector<std::filesystem::path> LanguageFolders; // the user's first
    std::string BaseName;                               // <BaseName>.<code>.lng
    bool PerUser = false; // Settings and Data lie in the user's folders, made on first use
};

// An environment variable, or none when unset.
using TGetEnv = std::function<std::optional<std::string>(std::string_view)>;

// A portable or build folder keeps everything beside the executable. An installed program, or
// one whose folder is not writable, uses $XDG_CONFIG_HOME/korvid/Korvid.ini and
// $XDG_DATA_HOME/korvid/ (defaults ~/.config and ~/.local/share); its language files are looked
// for in the user's folder, then beside the program. Without a home folder nothing moves.
[[nodiscard]] TFileLocations ChooseFileLocations(const TProgramPlace& place, const TGetEnv& env);

// The facts of the executable's folder, from the file system.
[[nodiscard]] TProgramPlace InspectProgramPlace(const std::filesystem::path& folder,
                                                std::string baseName);
[[nodiscard]] std::optional<std::string> GetEnv(std::string_view name);

// The program folder of those locations.
class TFileLocationsFolder final : public IProgramFolder {
public:
    explicit TFileLocationsFolder(TFileLocations locations) : m_locations(std::move(locations)) {}
    [[nodiscard]] std::filesystem::path Path() const override { return m_locations.Data; }
    [[nodiscard]] std::filesystem::path SettingsFolder() const override
    {
        return m_locations.Settings.parent_path();
    }
    [[nodiscard]] std::vector<std::filesystem::path> LanguageFolders() const override
    {
        return m_locations.LanguageFolders;
    }
    [[nodiscard]] const TFileLocations& Locations() const { return m_locations; }

private:
    TFileLocations m_locations;
};

// The computer's own clock, read as local time.
struct TSystemClock final : IClock {
    [[nodiscard]] double Now() const override;
};

} // namespace korvid::util

namespace korvid::util {

// For a machine that gives no regional settings: ISO dates, 24-hour times, a decimal point and
// a comma between list items (a semicolon when the decimal separator is itself a comma).
struct TFixedRegionalSettings final : IRegionalSettings {
    char Decimal = '.';
    [[nodiscard]] std::string FormatShortDate(double dateTime) const override;
    [[nodiscard]] std::string FormatShortTime(double dateTime) const override;
    [[nodiscard]] char DecimalSeparator() const override { return Decimal; }
    [[nodiscard]] char ListSeparator() const override { return Decimal == ',' ? ';' : ','; }
};

} // namespace korvid::util
