#include "window/window_settings.h"

#include <filesystem>
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

TWindowSettings Read(const std::string& lines, window::TScreenRoom room = Room)
{
    return window::ReadWindowSettings(Ini(lines), room);
}

} // namespace

TEST(WindowSettings, ReadBoundsAndDefaults)
{
    struct TRow {
        const char* name;
        std::string lines;
        window::TScreenRoom room;
        TWindowSettings expected;
    };
    auto with = [](auto change) {
        TWindowSettings settings;
        change(settings);
        return settings;
    };
    const TRow rows[] = {
        {"no file: a first start", "", Room, {}},
        {"every key, any case",
         "formwidth=700\nFORMHEIGHT=520\nFormLeft=-10\nFormTop=20\nTreeviewsHeight=150\n"
         "InfoWidth=200\nAutoAddToHisto=0\nAutoSaveHisto=0\nAutoBackupHisto=0\nSort=1\n"
         "ShowInfo=0\nLastFahLog=/logs/FAHlog.txt\nLang=english\nFollowLog=0\n",
         Room, with([](TWindowSettings& s) {
             s = {700,   520,   -10,       20,    150, 200, "/logs/FAHlog.txt", false, false, false,
                  false, false, "ENGLISH", false, 10,  {}};
         })},
        // Only the number that means "on" is on; any other number reads as off.
        {"flags of 2", "AutoSaveHisto=2\nSort=2\nShowInfo=2\n", Room, with([](TWindowSettings& s) {
             s.AutoSaveHisto = false;
             s.SortByProject = false;
             s.ShowInfo = false;
         })},
        {"no numbers", "FormWidth=0x100\nFormLeft=\nTreeViewsHeight=1.5\nSort=byDate\n", Room, {}},
        {"beyond the screens and Qt's arithmetic",
         "FormWidth=2147483647\nFormHeight=-5\nFormLeft=-2147483648\nFormTop=2147483647\n"
         "TreeViewsHeight=99999999\nInfoWidth=-7\n",
         Room, with([](TWindowSettings& s) {
             s.FormWidth = 1920;
             s.FormHeight = 1;
             s.FormLeft = -(1 << 20);
             s.FormTop = 1 << 20;
             s.TreeViewsHeight = 1 << 20;
             s.InfoWidth = 0;
         })},
        {"screens smaller than the design keep the design size",
         "FormWidth=900\nFormHeight=900\n",
         {320, 240},
         with([](TWindowSettings& s) {
             s.FormWidth = window::DesignWidth;
             s.FormHeight = window::DesignHeight;
         })},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Read(row.lines, row.room), row.expected);
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
