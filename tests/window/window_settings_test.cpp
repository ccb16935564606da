#include "window/window_settings.h"

#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

using window::TWindowSettings;

constexpr window::TScreenRoom Room{1920, 1080};

util::TIniFile Ini(const std::string& lines)
{
    util::TIniFile ini;
    ini.SetText("[General]\n" + lines);
    return ini;
}

// Fields in the order of TWindowSettings, as the case table writes them.
TWindowSettings Parse(const std::string& fields)
{
    std::istringstream in(fields);
    TWindowSettings s;
    std::string left, top;
    in >> s.FormWidth >> s.FormHeight >> left >> top >> s.TreeViewsHeight >> s.InfoWidth >>
        s.AutoAddToHisto >> s.AutoSaveHisto >> s.AutoBackupHisto >> s.SortByProject >> s.ShowInfo >>
        s.Lang >> s.FollowLog >> s.AutoSaveMinutes >> s.LastFahLog;
    if (left != "-")
        s.FormLeft = std::stoi(left);
    if (top != "-")
        s.FormTop = std::stoi(top);
    return s;
}

} // namespace

TEST(WindowSettings, ReadBoundsAndDefaults)
{
    for (const auto& row : test::CaseTable("window/data/window_settings.cases", 4)) {
        SCOPED_TRACE(row[0]);
        window::TScreenRoom room;
        std::istringstream(row[2]) >> room.Width >> room.Height;
        EXPECT_EQ(window::ReadWindowSettings(Ini(row[1]), room), Parse(row[3]));
    }
}

TEST(WindowSettings, WrittenSettingsReadBackTheSame)
{
    TWindowSettings settings{800,   600,  -3,    4,     10,   0,          "/a b/FAHlog.txt",
                             false, true, false, false, true, "FRANCAIS", true,
                             10,    {}};
    for (const bool centred : {false, true}) {
        SCOPED_TRACE(centred ? "centred" : "placed");
        if (centred)
            settings.FormLeft = settings.FormTop = std::nullopt;
        util::TIniFile ini;
        window::WriteWindowSettings(settings, window::TGeometry::Write, ini);
        EXPECT_EQ(window::ReadWindowSettings(ini, Room), settings);
    }
}

TEST(WindowSettings, KeptGeometryAndOtherKeysStayAsTheFileHadThem)
{
    util::TIniFile ini = Ini("FormWidth=700\nLang=english\nUnknown=kept\n");
    TWindowSettings settings;
    settings.FormWidth = 1000;
    settings.Lang = "EN";
    // A path that cannot live on one line: the next start asks for a log.
    settings.LastFahLog = "/logs/two\nlines.txt";
    window::WriteWindowSettings(settings, window::TGeometry::Keep, ini);
    EXPECT_EQ(ini.ReadInteger("General", "FormWidth", 0), 700);
    EXPECT_FALSE(ini.Value("General", "FormHeight"));
    EXPECT_EQ(ini.ReadString("General", "LastFahLog", "absent"), "");
    EXPECT_EQ(ini.ReadString("General", "Lang", ""), "english");
    EXPECT_EQ(ini.ReadString("General", "Unknown", ""), "kept");
}

TEST(WindowSettings, AFileThatCannotBeReadOrWrittenIsLeftAsItWas)
{
    const test::TTempDir dir;
    auto edit = [](util::TIniFile& ini) { ini.WriteString("General", "Lang", "EN"); };

    window::UpdateSettingsFile(dir / "Korvid.ini", edit);
    EXPECT_EQ(util::TIniFile(dir / "Korvid.ini").ReadString("General", "Lang", ""), "EN");

    // Too large to be a settings file: read as failed, so its keys are not lost by a rewrite.
    const std::string large = "[General]\nKeep=1\n" + std::string(util::MaxIniBytes, ';');
    dir.Write("Large.ini", large);
    window::UpdateSettingsFile(dir / "Large.ini", edit);
    EXPECT_EQ(dir.Read("Large.ini"), large);

    // No folder to write into: nothing is thrown.
    EXPECT_NO_THROW(window::UpdateSettingsFile(dir / "missing" / "Korvid.ini", edit));
    EXPECT_FALSE(dir.Exists("missing"));
}

} // namespace korvid
