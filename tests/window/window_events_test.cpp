// The window driven by what happens outside it, each event from a fake the test fires.
#include <filesystem>
#include <fstream>
#include <string>

#include "main_window_fixture.h"
#include "testing/fake_window_events.h"

namespace korvid {
namespace {

class WindowEventsTest : public MainWindowTest {
protected:
    test::TFakeFileWatcher watcher;
    test::TFakeTimer followTimer;

    ~WindowEventsTest() override
    {
        // Closed while the fakes it holds are still there.
        if (window)
            Close();
    }
    void StartWithEvents(window::IMessageBox& boxes)
    {
        window::TWindowSeams seams{clock,  regional, folder,   boxes,
                                   dialog, opener,   "Korvid", histoLimit};
        seams.LogWatcher = &watcher;
        seams.FollowTimer = &followTimer;
        window = std::make_unique<window::TfrmMain>(seams);
        window->FormCreate();
    }
};

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
    StartWithEvents(messages);
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
    EXPECT_EQ(window->SelLogWU(), followed);
    EXPECT_EQ(window->CurrentWU(), followed);
    EXPECT_EQ(chart.CurrentWU(), followed);
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

} // namespace korvid
