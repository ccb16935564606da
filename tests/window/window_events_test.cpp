// The window driven by what happens outside it: a log that grows, time that passes, a request to
// close. Each comes from a fake the test fires.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include "main_window_fixture.h"

namespace korvid {
namespace {

using WindowEventsTest = MainWindowTest;

void Append(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

} // namespace

TEST_F(WindowEventsTest, AGrowingLogIsFollowedKeepingTheSelectionAndTheZoom)
{
    TUnitPlan folding = C;
    folding.Shutdown.clear();
    const std::string before = Log({A, folding});
    LastLog({A, folding});
    Start();
    EXPECT_EQ(watcher.Paths, (std::vector{dir / "FAHlog.txt", dir.Path()}));
    Select("p30_c");
    window::TChartWidget& chart = Chart();
    const chart::TGraph& g = *chart.Chart().Graph(1);
    const QPoint from(g.PlotLeft + g.PlotWidth / 4, g.PlotTop() + 1);
    const QPoint to(g.PlotRight() - 1, g.PlotBottom - 1);
    test::Drag(chart, from, to, Qt::ControlModifier);
    const chart::TZoomWindow zoom = chart.Chart().Zoom(1);
    ASSERT_NE(zoom, chart::TZoomWindow{});

    folding.LastStep = 55;
    const std::string grown = Log({A, folding});
    ASSERT_EQ(grown.substr(0, before.size()), before);
    Append(dir / "FAHlog.txt", grown.substr(before.size()));
    watcher.Fire();
    ASSERT_TRUE(followTimer.Fire()) << "read once the writes pause";
    const workunits::TWU* followed = window->WUsLog().Items(1);
    EXPECT_EQ(followed->Steps.Back().Frame, 55);
    EXPECT_EQ(std::tuple(window->SelLogWU(), window->CurrentWU(), chart.CurrentWU()),
              std::tuple(followed, followed, followed));
    EXPECT_EQ(chart.Chart().Zoom(1), zoom);
    EXPECT_EQ(Selected(LogTree()), Node("p30_c"));
    EXPECT_NE(Memo().find("pliées: 55"), std::string::npos);
    EXPECT_EQ(messages.Count(), 0u) << "following announces nothing";

    // The unit ends, the client rotates its log: the old file's units stay, the new one's come.
    folding.Shutdown = "FINISHED_UNIT";
    dir.Write("FAHlog.txt", Log({A, folding}));
    std::filesystem::rename(dir / "FAHlog.txt", dir / "FAHlog-Prev.txt");
    dir.Write("FAHlog.txt", Log({D}));
    watcher.Fire();
    ASSERT_TRUE(followTimer.Fire());
    EXPECT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p30_c", "p40_d"}));
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FAHlog-Prev.txt + FAHlog.txt");
}

TEST_F(WindowEventsTest, AddedUnitsAreSavedAfterAutoSaveMinutesUnlessTurnedOff)
{
    struct TRow {
        const char* name;
        std::string lines;
        std::optional<int> wait;
    };
    const TRow rows[] = {
        {"ten minutes when not set", "", 600'000},
        {"as set", "AutoSaveMinutes=3\n", 180'000},
        {"0 turns it off", "AutoSaveMinutes=0\n", std::nullopt},
        {"nothing saved unasked without AutoSaveHisto", "AutoSaveHisto=0\n", std::nullopt},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir / "Korvid.dat");
        Settings(LogFile({A, B, C}) + row.lines);
        Start();
        ASSERT_EQ(window->WUsHisto().Count(), 2);
        EXPECT_EQ(autoSaveTimer.Waiting, row.wait);
        EXPECT_FALSE(dir.Exists("Korvid.dat"));
        if (autoSaveTimer.Fire()) {
            EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text,
                      window->WUsHisto().AllText());
            EXPECT_FALSE(autoSaveTimer.IsActive()) << "nothing waits for a save";
        }
        Close();
    }
    EXPECT_TRUE(messages.Errors.empty());
}

// A second request, say a signal, while the failed save's question waits.
TEST_F(WindowEventsTest, ACloseRequestWhileTheFailedSaveIsAskedAboutLeavesTheChoiceToTheUser)
{
    History({A});
    Settings(LogFile({A, B}) + "AutoBackupHisto=1\n");
    std::filesystem::create_directories(dir / "Korvid.dat.bak" / "in the way");
    Start();
    std::optional<bool> againClosed;
    messages.WhileAsking = [&] { againClosed = requests.Close(); };
    messages.Answers = {true};
    EXPECT_FALSE(requests.Close());
    EXPECT_EQ(againClosed, false);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(autoSaveTimer.IsActive()) << "the added units still wait for a save";
    messages.WhileAsking = nullptr;
}

} // namespace korvid
