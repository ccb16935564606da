#include "util/platform.h"

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(';', from), text.size());
        parts.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return parts;
}

// NAME=value pairs split at ";".
util::TGetEnv Env(const std::string& pairs)
{
    std::map<std::string, std::string, std::less<>> values;
    for (const std::string& pair : Split(pairs))
        values[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    return [values = std::move(values)](std::string_view name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    };
}

TEST(FileLocationsTest, InstalledOrReadOnlyUsesTheUsersFoldersWhenThereIsAHome)
{
    for (const auto& row : test::CaseTable("util/data/file_locations.cases", 9)) {
        SCOPED_TRACE(row[0]);
        const util::TProgramPlace place{row[1], row[2], row[3] == "yes", row[4]};
        const util::TFileLocations where = util::ChooseFileLocations(place, Env(row[5]));
        EXPECT_EQ(where.PerUser, fs::path(row[7]) != place.Folder);
        EXPECT_EQ(where.Settings, fs::path(row[6]));
        EXPECT_EQ(where.Data, fs::path(row[7]));
        const std::vector<std::string> languages = Split(row[8]);
        EXPECT_EQ(where.LanguageFolders, std::vector<fs::path>(languages.begin(), languages.end()));
        // The user's folders name their files after the program, whatever its file is called.
        EXPECT_EQ(where.BaseName, where.PerUser ? "Korvid" : place.BaseName);
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
