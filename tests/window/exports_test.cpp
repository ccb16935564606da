#include "window/exports.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_window_seams.h"
#include "testing/temp_dir.h"
#include "translation/text_encoding.h"
#include "util/error.h"
#include "window/window_testing.h"
#include "workunits/csv_report.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;
using workunits::TWU;
using workunits::core::Gromacs;

// A chart whose image tells which unit it shows: one pixel per unit, its Run in the low bits.
struct TFakeChart final : window::IChartImages {
    const TWU* Shown = nullptr;
    std::vector<const TWU*> Showed;
    [[nodiscard]] const TWU* ShownWU() const override { return Shown; }
    void ShowWU(const TWU* wu) override
    {
        Shown = wu;
        Showed.push_back(wu);
    }
    [[nodiscard]] png::TImage RenderImage() override
    {
        return png::TImage(3, 2, 0xFF000000U | static_cast<std::uint32_t>(Shown->Run));
    }
};

// Every file and folder under the root, relative to it.
std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        entries.insert(fs::relative(entry.path(), root).string());
    return entries;
}

class ExportsTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeProgramFolder program;
    translation::TTranslation catalogue = test::FrenchCatalogue();
    util::TFixedRegionalSettings regional;
    window::TExports exports{program, catalogue, regional};
    TFakeChart chart;
    std::vector<std::unique_ptr<TWU>> owned;

    void SetUp() override { program.Folder = dir.Path() / "Korvid"; }

    const TWU* Unit(const std::string& protein, int run, int frames, int expected = 10)
    {
        auto wu = test::MakeUnit(protein, Gromacs, expected, test::EvenSteps(1, frames, 60));
        wu->Run = run;
        owned.push_back(std::move(wu));
        return owned.back().get();
    }
    std::string CsvOf(const TWU& wu) const
    {
        return workunits::BuildCsvText(
                   wu, [&](std::string_view key) { return catalogue.GetText("", key); }, regional) +
               "\r\n";
    }
    std::vector<std::string> Files(const char* folder) const
    {
        return test::FileNames(program.Folder / folder);
    }
    std::string Read(const fs::path& path) const { return test::ReadFileForTest(path); }
};

TEST_F(ExportsTest, HostileProteinNamesStayInsideTheFolders)
{
    int run = 0;
    std::set<std::string> expected;
    for (const auto& row : test::CaseTable("window/data/hostile_proteins.cases", 3)) {
        SCOPED_TRACE(row[0]);
        const TWU& wu = *Unit(row[1], ++run, 5);
        const std::string file = row[2] + "(" + std::to_string(run) + ",12,45)_20060629_1941";
        EXPECT_EQ(exports.CsvFileName(wu).filename().string(), file + ".csv");
        exports.ExportWUCsv(&wu);
        chart.ShowWU(&wu);
        exports.SaveGraphPng(chart);
        expected.insert("csv/" + file + ".csv");
        expected.insert("png/" + file + ".png");
    }
    expected.insert("csv");
    expected.insert("png");
    EXPECT_EQ(Tree(program.Folder), expected);
    EXPECT_EQ(Tree(dir.Path()).size(), expected.size() + 1) << "nothing beside the program folder";
}

TEST(SafeFileName, NeverGivesADotNameOrAnEmptyOne)
{
    for (const auto& row : test::CaseTable("window/data/safe_names.cases", 3))
        EXPECT_EQ(window::SafeFileName(row[1]), row[2]) << row[0];
}

TEST_F(ExportsTest, OverlongProteinIsCutAtACharacterAndTheFileWritten)
{
    std::string protein;
    for (int i = 0; i < 150; ++i)
        protein += "\xC3\xA9"; // é, two bytes
    const TWU& wu = *Unit(protein, 1, 5);
    const std::string name = exports.CsvFileName(wu).filename().string();
    EXPECT_LE(name.size(), window::MaxExportNameBytes);
    EXPECT_TRUE(translation::IsValidUtf8(name));
    EXPECT_TRUE(name.ends_with("(1,12,45)_20060629_1941.csv"));
    exports.ExportWUCsv(&wu);
    EXPECT_EQ(Read(exports.CsvFileName(wu)), CsvOf(wu));
}

TEST_F(ExportsTest, SameNameIsReplacedByTheLaterUnit)
{
    const TWU* first = Unit("pA", 1, 3);
    auto second = test::MakeUnit("pA", Gromacs, 10, test::EvenSteps(1, 7, 90),
                                 test::At(2006, 6, 29, 19, 41, 30)); // same minute
    second->Run = 1;
    owned.push_back(std::move(second));
    const std::vector<const TWU*> units = {first, owned.back().get()};
    EXPECT_EQ(exports.ExportWUsCsv(units, false).Written, 2);
    EXPECT_EQ(Files("csv"), (std::vector<std::string>{"pA(1,12,45)_20060629_1941.csv"}));
    EXPECT_EQ(Read(exports.CsvFileName(*first)), CsvOf(*units[1]));
}

// Both batches take the complete units or all, tell their progress before each file and stop
// when it says so or at the first failure; the PNG one shows each unit in the order given, and
// the one shown before at the end.
TEST_F(ExportsTest, BatchesTakeCompleteUnitsOrAllAndStopWhenCancelledOrFailing)
{
    exports.ExportWUCsv(nullptr);
    exports.SaveGraphPng(chart); // showing nothing
    const TWU* shown = Unit("pShown", 9, 10);
    const std::vector<const TWU*> units = {Unit("pC", 3, 10), Unit("pB", 2, 4), Unit("pA", 1, 10)};
    EXPECT_EQ(exports.ExportWUsCsv(std::vector<const TWU*>{units[1]}, true).Written, 0);
    EXPECT_FALSE(fs::exists(program.Folder)) << "no complete unit: nothing, not even the folder";
    for (const bool png : {false, true}) {
        SCOPED_TRACE(png ? "png" : "csv");
        const char* folder = png ? "png" : "csv";
        auto file = [&](const TWU* wu) {
            return png ? exports.PngFileName(*wu) : exports.CsvFileName(*wu);
        };
        auto batch = [&](bool onlyComplete, const window::TExportProgress& progress) {
            fs::remove_all(program.Folder);
            chart.Shown = shown;
            chart.Showed.clear();
            return png ? exports.SaveGraphsPng(chart, units, onlyComplete, progress)
                       : exports.ExportWUsCsv(units, onlyComplete, progress);
        };
        std::vector<std::pair<int, int>> calls;
        const auto complete = batch(true, [&](int written, int total) {
            calls.emplace_back(written, total);
            return true;
        });
        EXPECT_EQ(std::tuple(complete.Written, complete.Cancelled, complete.LastFile),
                  std::tuple(2, false, file(units[2])));
        EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
        EXPECT_EQ(Files(folder), (std::vector<std::string>{file(units[2]).filename().string(),
                                                           file(units[0]).filename().string()}));
        using TShowed = std::vector<const TWU*>;
        EXPECT_EQ(chart.Showed, (png ? TShowed{units[0], units[2], shown} : TShowed{}));
        EXPECT_EQ(batch(false, {}).Written, 3);
        if (png) {
            EXPECT_EQ(chart.Showed, (TShowed{units[0], units[1], units[2], shown}));
        } else {
            for (const TWU* wu : units)
                EXPECT_EQ(Read(file(wu)), CsvOf(*wu));
        }
        const auto cancelled = batch(false, [](int written, int) { return written < 1; });
        EXPECT_EQ(std::tuple(cancelled.Written, cancelled.Cancelled), std::tuple(1, true));
        EXPECT_EQ(Files(folder), std::vector<std::string>{file(units[0]).filename().string()});
        EXPECT_EQ(chart.Shown, shown);

        // A folder where the second file should go: the error names it and the rest is not
        // started.
        auto blocked = [&](int written, int) {
            if (written == 1)
                fs::create_directories(file(units[1]));
            return true;
        };
        test::ExpectErrorNaming([&] { (void)batch(false, blocked); },
                                {file(units[1]).filename().string()});
        EXPECT_EQ(chart.Shown, shown);
        EXPECT_TRUE(fs::is_regular_file(file(units[0])));
        EXPECT_FALSE(fs::exists(file(units[2])));
    }
}

} // namespace
} // namespace korvid
