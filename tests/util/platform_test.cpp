#include "util/platform.h"

#include <map>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

util::TGetEnv Env(std::map<std::string, std::string, std::less<>> values)
{
    return [values = std::move(values)](std::string_view name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
}

TEST(FileLocationsTest, InstalledOrReadOnlyUsesTheUsersFoldersWhenThereIsAHome)
{
    struct TCase {
        const char* Name;
        util::TProgramPlace Place;
        std::map<std::string, std::string, std::less<>> Env;
        const char* Settings;
        const char* Data;
        std::vector<fs::path> Languages;
    };
    const TCase cases[] = {
        {"writable folder: everything beside the program",
         {"/opt/k", "Korvid", true, {}},
         {{"HOME", "/home/d"}},
         "/opt/k/Korvid.ini",
         "/opt/k",
         {"/opt/k"}},
        {"installed, root may write",
         {"/usr/bin", "korvid", true, "/usr/share/korvid"},
         {{"HOME", "/home/d"}},
         "/home/d/.config/korvid/Korvid.ini",
         "/home/d/.local/share/korvid",
         {"/home/d/.local/share/korvid", "/usr/share/korvid"}},
        {"read-only portable copy",
         {"/mnt/k", "Korvid", false, {}},
         {{"HOME", "/home/d"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}},
         "/c/korvid/Korvid.ini",
         "/d/korvid",
         {"/d/korvid", "/mnt/k"}},
        {"relative XDG folders are ignored",
         {"/usr/bin", "korvid", false, "/usr/share/korvid"},
         {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "c"}, {"XDG_DATA_HOME", ""}},
         "/h/.config/korvid/Korvid.ini",
         "/h/.local/share/korvid",
         {"/h/.local/share/korvid", "/usr/share/korvid"}},
        {"no home: nothing moves, shipped languages are found",
         {"/usr/bin", "korvid", false, "/usr/share/korvid"},
         {},
         "/usr/bin/korvid.ini",
         "/usr/bin",
         {"/usr/share/korvid"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const util::TFileLocations where = util::ChooseFileLocations(c.Place, Env(c.Env));
        EXPECT_EQ(where.PerUser, c.Data != c.Place.Folder);
        EXPECT_EQ(where.Settings, fs::path(c.Settings));
        EXPECT_EQ(where.Data, fs::path(c.Data));
        EXPECT_EQ(where.LanguageFolders, c.Languages);
        // The user's folders name their files after the program, whatever its file is called.
        EXPECT_EQ(where.BaseName, where.PerUser ? "Korvid" : c.Place.BaseName);
    }
}

TEST(FileLocationsTest, InspectFindsAnInstalledLayout)
{
    const test::TTempDir dir;
    fs::create_directories(dir / "usr/bin");
    EXPECT_TRUE(util::InspectProgramPlace(dir / "usr/bin", "korvid").SharedData.empty());
    fs::create_directories(dir / "usr/share/korvid");
    EXPECT_EQ(util::InspectProgramPlace(dir / "usr/bin", "korvid").SharedData,
              dir / "usr/share/korvid");
    // A build folder is no installation, whatever lies beside it.
    fs::create_directories(dir / "share/korvid");
    EXPECT_TRUE(util::InspectProgramPlace(dir.Path(), "Korvid").SharedData.empty());
}

} // namespace
} // namespace korvid
