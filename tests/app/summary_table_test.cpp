#include "summary_table.h"

#include <algorithm>
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

// three-units.txt: a finished unit, a failed one without dates, and one still folding at an hour
// a frame whose end is due at 2026-03-08 13:02; result-forms.txt: one unit of each dialect's way
// to say how it ended. Beside them, what each prints.
const fs::path Data = fs::path(KORVID_SOURCE_DIR) / "tests" / "app" / "data";

class SummaryTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
    std::ostringstream out, err;

    int Run(std::vector<std::string> args, bool terminal = false)
    {
        out.str("");
        return inspect::Run(args, out, err, clock, terminal);
    }
};

// Colours only for the result and only on a terminal; an end that should have come is no
// longer folding.
TEST_F(SummaryTest, PrintsOneFittedLinePerUnitAsTableOrCsv)
{
    const struct {
        const char* option;
        const char* now;
        bool terminal;
        const char* expected; // named after the log, up to its first dot
    } rows[] = {
        {"--summary", "2026-03-04 12:00:00", false, "three-units.summary.txt"},
        {"--csv", "2026-03-04 12:00:00", false, "three-units.csv"},
        {"--summary", "2026-03-04 12:00:00", true, "three-units.tty.summary.txt"},
        {"--csv", "2026-03-04 12:00:00", true, "three-units.csv"},
        {"--summary", "2026-03-08 13:01:00", false, "three-units.summary.txt"},
        {"--summary", "2026-03-08 13:03:00", false, "three-units.late.summary.txt"},
        {"--summary", "2026-03-04 12:00:00", false, "result-forms.summary.txt"},
        {"--csv", "2026-03-04 12:00:00", false, "empty.csv"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.expected) + " at " + row.now);
        const std::string expected = row.expected;
        const auto log = Data / (expected.substr(0, expected.find('.')) + ".txt");
        ASSERT_EQ(Run({"--now", row.now, row.option, log.string()}, row.terminal), 0) << err.str();
        EXPECT_EQ(out.str(), test::ReadFileForTest(Data / row.expected));
    }
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
        const std::size_t end = std::min(line.find("  ", at), line.size());
        cells.push_back({at, end});
        at = line.find_first_not_of(' ', end);
    }
    return cells;
}

TEST(SummaryCorpus, EveryLogGivesALineAUnitInAlignedColumns)
{
    const test::TFakeClock clock;
    int logs = 0;
    for (const fs::path& path : test::CorpusLogs()) {
        if (path.filename() != "FAHlog.txt" && path.filename() != "log.txt")
            continue;
        SCOPED_TRACE(path.string());
        ++logs;
        workunits::TWUs wus;
        wus.ReadLogFreeing(workunits::ReadFahLogText(path), path.string(), clock);
        std::ostringstream table;
        inspect::WriteSummaryTable(wus, clock.Now(), table, false);
        std::istringstream lines(table.str());
        std::string line;
        std::getline(lines, line);
        const std::vector<TCell> header = Cells(line);
        ASSERT_EQ(header.size(), 8u);
        int units = 0;
        for (; std::getline(lines, line); ++units) {
            const std::vector<TCell> cells = Cells(line);
            ASSERT_EQ(cells.size(), 8u) << line;
            // Numbers end where their heading ends, words start where theirs starts.
            for (const std::size_t column : {0, 1, 3, 4})
                EXPECT_EQ(cells[column].End, header[column].End) << line;
            for (const std::size_t column : {2, 5, 6, 7})
                EXPECT_EQ(cells[column].Start, header[column].Start) << line;
        }
        EXPECT_EQ(units, wus.Count());
    }
    if (logs == 0)
        GTEST_SKIP() << "no corpus beside this checkout";
    EXPECT_GE(logs, 60);
}

} // namespace
} // namespace korvid
