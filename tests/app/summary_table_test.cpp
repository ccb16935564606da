#include "summary_table.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log_report.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

// A finished unit, a failed one without dates, and one still folding at an hour a frame; with
// the table and the CSV they print at 2026-03-04 12:00.
const fs::path Data = fs::path(KORVID_SOURCE_DIR) / "tests" / "app" / "data";

class SummaryTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeClock clock;
    std::ostringstream out, err;

    int Run(std::vector<std::string> args, bool terminal = false)
    {
        out.str("");
        return inspect::Run(args, out, err, clock, terminal);
    }
    std::string Log() const { return (dir / "FAHlog.txt").string(); }
    void SetUp() override
    {
        dir.Write("FAHlog.txt", test::ReadFileForTest(Data / "three-units.txt"));
    }
};

TEST_F(SummaryTest, OneFittedLinePerUnitWithTheClientsWordForItsEndAsTableOrCsv)
{
    const std::pair<const char*, const char*> rows[] = {{"--summary", "three-units.summary.txt"},
                                                        {"--csv", "three-units.csv"}};
    for (const auto& [option, expected] : rows) {
        SCOPED_TRACE(option);
        ASSERT_EQ(Run({"--now", "2026-03-04 12:00:00", option, Log()}), 0) << err.str();
        EXPECT_EQ(out.str(), test::ReadFileForTest(Data / expected));
    }
    dir.Write("empty.txt", "nothing\r\n");
    ASSERT_EQ(Run({"--csv", (dir / "empty.txt").string()}), 0);
    EXPECT_EQ(out.str(),
              "Project,R/C/G,Core,Frames,Per frame,Start,End / ETA,Result,Machine,Credit,PPD\r\n");
}

// One unit of each dialect's way to say how it ended.
TEST_F(SummaryTest, EveryClientResultFormGivesItsWord)
{
    ASSERT_EQ(Run({"--summary", (Data / "result-forms.txt").string()}), 0) << err.str();
    std::string words;
    std::istringstream table(out.str());
    for (std::string line; std::getline(table, line);)
        words += line.substr(line.rfind(' ') + 1) + " ";
    EXPECT_EQ(words, "Result FINISHED_UNIT FAILED BAD_WORK_UNIT FINISHED_UNIT ");
}

TEST_F(SummaryTest, AnEndThatShouldHaveComeIsNoLongerFolding)
{
    const struct {
        const char* now;
        const char* result;
    } rows[] = {
        {"2026-03-08 13:01:00", "folding"},
        {"2026-03-08 13:03:00", "unfinished"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.now);
        ASSERT_EQ(Run({"--summary", "--now", row.now, Log()}), 0);
        const std::string table = out.str();
        const std::string last = table.substr(table.rfind('\n', table.size() - 2) + 1);
        EXPECT_EQ(last.substr(last.rfind(' ') + 1), std::string(row.result) + "\n");
        EXPECT_NE(last.find("ETA 2026-03-08 13:02"), std::string::npos);
    }
}

TEST_F(SummaryTest, ColoursOnlyTheResultAndOnlyOnATerminal)
{
    ASSERT_EQ(Run({"--now", "2026-03-04 12:00:00", "--summary", Log()}, true), 0);
    const std::string coloured = out.str();
    EXPECT_NE(coloured.find("\x1b[32mFINISHED_UNIT\x1b[0m\n"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[31mUNSTABLE_MACHINE?\x1b[0m\n"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[33mfolding\x1b[0m\n"), std::string::npos);
    EXPECT_EQ(coloured.find("\x1b[", 0, 2), coloured.find("\x1b[32m")); // none in the header
    ASSERT_EQ(Run({"--now", "2026-03-04 12:00:00", "--csv", Log()}, true), 0);
    EXPECT_EQ(out.str().find('\x1b'), std::string::npos);
}

TEST_F(SummaryTest, TablesDoNotMixWithEachOtherOrWithSavingAHistory)
{
    EXPECT_EQ(Run({"--summary", "--csv", Log()}), 2);
    EXPECT_EQ(Run({"--csv", "--save-history", (dir / "h.dat").string(), Log()}), 2);
    EXPECT_FALSE(dir.Exists("h.dat"));
    EXPECT_EQ(Run({"--summary", "--summary", Log()}), 0);
}

// Cells never hold two blanks running, so runs of blanks cut a line into its cells; each cell
// also gives where it starts and ends.
struct TCell {
    std::size_t Start, End;
};
std::vector<TCell> Cells(const std::string& line)
{
    std::vector<TCell> cells;
    std::size_t at = line.find_first_not_of(' ');
    while (at != std::string::npos && at < line.size()) {
        std::size_t end = line.find("  ", at);
        if (end == std::string::npos)
            end = line.size();
        cells.push_back({at, end});
        at = line.find_first_not_of(' ', end);
    }
    return cells;
}

TEST(SummaryCorpus, EveryLogGivesALineAUnitInAlignedColumns)
{
    const fs::path corpus = test::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus beside this checkout";
    const test::TFakeClock clock;
    int logs = 0;
    for (const char* version : {"v6", "v7"}) {
        for (const auto& entry : fs::recursive_directory_iterator(corpus / version)) {
            const std::string name = entry.path().filename().string();
            if (name != "FAHlog.txt" && name != "log.txt")
                continue;
            SCOPED_TRACE(entry.path().string());
            ++logs;
            workunits::TWUs wus;
            wus.ReadLogFreeing(workunits::ReadFahLogText(entry.path()), entry.path().string(),
                               clock);
            std::ostringstream table;
            inspect::WriteSummaryTable(wus, clock.Now(), table, false);
            std::istringstream lines(table.str());
            std::vector<std::string> all;
            for (std::string line; std::getline(lines, line);)
                all.push_back(line);
            ASSERT_EQ(all.size(), static_cast<std::size_t>(wus.Count()) + 1);
            const std::vector<TCell> header = Cells(all[0]);
            ASSERT_EQ(header.size(), 8u);
            for (const std::string& line : all) {
                const std::vector<TCell> cells = Cells(line);
                ASSERT_EQ(cells.size(), 8u) << line;
                // Numbers end where their heading ends, words start where theirs starts.
                for (const std::size_t column : {0, 1, 3, 4})
                    EXPECT_EQ(cells[column].End, header[column].End) << line;
                for (const std::size_t column : {2, 5, 6, 7})
                    EXPECT_EQ(cells[column].Start, header[column].Start) << line;
            }
        }
    }
    EXPECT_GE(logs, 40);
}

} // namespace
} // namespace korvid
