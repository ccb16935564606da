#include "window/window_settings.h"

#include <algorithm>
#include <variant>

#include "util/ascii_case.h"
#include "util/error.h"

namespace korvid::window {
namespace {

// Positions and sizes from the settings file stay where Qt's arithmetic cannot overflow.
constexpr int MaxCoordinate = 1 << 20;

using TNumber = std::variant<int TWindowSettings::*, std::optional<int> TWindowSettings::*>;

// The window's place and size are kept only while it has them of its own.
enum class TNumberKind { Geometry, Setting };

struct TNumberKey {
    std::string_view Name;
    TNumber Member;
    int Min;
    int Max;
    TNumberKind Kind;
};

// In the order a new file lists them.
const TNumberKey NumberKeys[] = {
    {"FormWidth", &TWindowSettings::FormWidth, 1, MaxCoordinate, TNumberKind::Geometry},
    {"FormHeight", &TWindowSettings::FormHeight, 1, MaxCoordinate, TNumberKind::Geometry},
    {"FormLeft", &TWindowSettings::FormLeft, -MaxCoordinate, MaxCoordinate, TNumberKind::Geometry},
    {"FormTop", &TWindowSettings::FormTop, -MaxCoordinate, MaxCoordinate, TNumberKind::Geometry},
    {"TreeViewsHeight", &TWindowSettings::TreeViewsHeight, 0, MaxCoordinate, TNumberKind::Geometry},
    {"InfoWidth", &TWindowSettings::InfoWidth, 0, MaxCoordinate, TNumberKind::Geometry},
    {"AutoSaveMinutes", &TWindowSettings::AutoSaveMinutes, 0, MaxAutoSaveMinutes,
     TNumberKind::Setting},
};

// A flag reads as set when its number is On, and is written as On or Off.
struct TFlagKey {
    std::string_view Name;
    bool TWindowSettings::*Member;
    int On;
    int Off;
};

const TFlagKey FlagKeys[] = {
    {"AutoAddToHisto", &TWindowSettings::AutoAddToHisto, 1, 0},
    {"AutoSaveHisto", &TWindowSettings::AutoSaveHisto, 1, 0},
    {"AutoBackupHisto", &TWindowSettings::AutoBackupHisto, 1, 0},
    {"Sort", &TWindowSettings::SortByProject, 0, 1},
    {"ShowInfo", &TWindowSettings::ShowInfo, 1, 0},
    {"FollowLog", &TWindowSettings::FollowLog, 1, 0},
};

// The default Lang is spelled as the files have always held it.
constexpr std::string_view DefaultLang = "francais";

std::optional<int> ReadNumber(const util::TIniFile& ini, std::string_view key)
{
    const auto text = ini.Value(settings_key::Section, key);
    return text ? util::ParseIniInteger(*text) : std::nullopt;
}

} // namespace

TWindowSettings ReadWindowSettings(const util::TIniFile& ini, TScreenRoom room)
{
    const std::string_view section = settings_key::Section;
    TWindowSettings settings;
    for (const TNumberKey& key : NumberKeys) {
        const std::optional<int> read = ReadNumber(ini, key.Name);
        auto fit = [&](int value) { return std::clamp(value, key.Min, key.Max); };
        if (const auto* member = std::get_if<int TWindowSettings::*>(&key.Member))
            settings.*(*member) = fit(read.value_or(settings.*(*member)));
        else if (read)
            settings.*std::get<std::optional<int> TWindowSettings::*>(key.Member) = fit(*read);
    }
    settings.FormWidth = std::min(settings.FormWidth, std::max(room.Width, DesignWidth));
    settings.FormHeight = std::min(settings.FormHeight, std::max(room.Height, DesignHeight));
    for (const TFlagKey& key : FlagKeys) {
        const int fallback = settings.*key.Member ? key.On : key.Off;
        settings.*key.Member = ini.ReadInteger(section, key.Name, fallback) == key.On;
    }
    settings.LastFahLog = ini.ReadString(section, settings_key::LastFahLog, "");
    settings.Lang = util::UpperAscii(ini.ReadString(section, settings_key::Lang, DefaultLang));
    settings.Clients = ini.ReadString(section, settings_key::Clients, "");
    return settings;
}

void WriteWindowSettings(const TWindowSettings& settings, TGeometry geometry, util::TIniFile& ini)
{
    const std::string_view section = settings_key::Section;
    for (const TNumberKey& key : NumberKeys) {
        if (key.Kind == TNumberKind::Geometry && geometry == TGeometry::Keep)
            continue;
        if (const auto* member = std::get_if<int TWindowSettings::*>(&key.Member))
            ini.WriteInteger(section, key.Name, settings.*(*member));
        else if (const auto& value =
                     settings.*std::get<std::optional<int> TWindowSettings::*>(key.Member))
            ini.WriteInteger(section, key.Name, *value);
    }
    // A path with a line break cannot be stored; the next start then asks for a log.
    if (!ini.WriteString(section, settings_key::LastFahLog, settings.LastFahLog))
        ini.WriteString(section, settings_key::LastFahLog, "");
    for (const TFlagKey& key : FlagKeys)
        ini.WriteInteger(section, key.Name, settings.*key.Member ? key.On : key.Off);
}

void UpdateSettingsFile(const std::filesystem::path& path,
                        const std::function<void(util::TIniFile&)>& edit)
{
    util::TIniFile ini(path);
    if (ini.LoadOutcome() == util::TIniLoad::Failed)
        return;
    edit(ini);
    try {
        ini.UpdateFile();
    } catch (const util::TError&) {
    }
}

} // namespace korvid::window
