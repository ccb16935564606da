#include "workunits/wus.h"

#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "history/history.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_text.h"

namespace korvid {
namespace {

using test::At;
using test::Digest;
using test::Lines;
using workunits::TWU;
using workunits::TWUs;

class ReadLogTest : public ::testing::Test {
protected:
    test::TFakeClock clock; // 2026-12-06 12:00
    TWUs wus;

    const TWU& Only()
    {
        EXPECT_EQ(wus.Count(), 1);
        return *wus.Items(0);
    }
};

const std::string WorkedDonor = Lines({
    "[08:00:00] - User name: donor (Team 12)",
    "[08:00:00] - Machine ID: 1",
});
const std::string WorkedUnit = Lines({
    "[08:00:05] Core required: FahCore_78.exe",
    "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
    "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
    "[08:00:10] Completed 0 out of 500 steps  (0%)",
    "[08:30:10] Completed 5 out of 500 steps  (1%)",
    "[09:00:40] Completed 10 out of 500 steps  (2%)",
    "[09:00:41] Folding@home Core Shutdown: DONE",
});

TEST_F(ReadLogTest, ReadsTheWorkedExample)
{
    const auto stats = wus.ReadLog(WorkedDonor + WorkedUnit, "C:\\Client\\FAHlog.txt", clock);
    EXPECT_EQ(std::pair(stats.Added, stats.UnconvertedLines), std::pair(1, 0));
    const TWU& wu = Only();
    EXPECT_EQ(wu.Text, WorkedDonor + "- FahLog Path: C:\\Client\\FAHlog.txt\r\n" + WorkedUnit);
    EXPECT_EQ(Digest(wu), "prcg 2665 1 2 3; core 78; frames 100; donor donor 12  1; start "
                          "2026-03-04 08:00:05; end 2026-03-04 09:00:40; steps 0/5@08:00:10 "
                          "1/1800@08:30:10 2/1830@09:00:40; shut DONE; lines 10");
    EXPECT_EQ(wu.ShutdownLine, "[09:00:41] Folding@home Core Shutdown: DONE");
}

TEST_F(ReadLogTest, ValuesThatCannotBeConvertedAreLeftAndReadingGoesOn)
{
    for (const auto& row : test::CaseTable("workunits/data/unconverted_lines.cases", 2)) {
        const std::string& line = row[0];
        SCOPED_TRACE(line);
        TWUs one;
        const auto stats =
            one.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                               "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                               "[08:00:00] Completed 0 out of 100 steps  (0%)", line,
                               "[08:10:00] Completed 1 out of 100 steps  (1%)",
                               "[08:10:01] Folding@home Core Shutdown: FINISHED_UNIT"}),
                        "", clock);
        EXPECT_EQ(stats.UnconvertedLines, 1);
        ASSERT_EQ(one.Count(), 1);
        EXPECT_EQ(Digest(*one.Items(0)), row[1]);
    }
}

TEST_F(ReadLogTest, LinesEndAtCrLfLoneCrAndLoneLf)
{
    const std::string log = "[08:00:00] Core required: FahCore_78.exe\r"
                            "[08:00:00] Working on Unit 01 [March 4 08:00:00]\n"
                            "[08:10:00] Completed 1 out of 100 steps  (1%)\r\n"
                            "\r\n\n\r"
                            "[08:20:00] Completed 2 out of 100 steps  (2%)";
    wus.ReadLog(log, "", clock);
    EXPECT_EQ(Only().Text, Lines({"[08:00:00] Core required: FahCore_78.exe",
                                  "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                                  "[08:10:00] Completed 1 out of 100 steps  (1%)",
                                  "[08:20:00] Completed 2 out of 100 steps  (2%)"}));
    EXPECT_EQ(Only().Steps.Count(), 2);
}

TEST_F(ReadLogTest, AnyBytesAreReadWithoutHarm)
{
    std::string log = Lines({"[08:00:00] Core required: FahCore_78.exe"});
    log += std::string("[08:10:00] Completed 1 out of 100 steps \0\xFF (1%)\r\n", 47);
    log += "[08:10:00] Protein: \x80\x81\xFE\r\n";
    log += "x\r\ny\r\n\r\n";
    log += std::string(10 << 20, '[') + " steps \r\n";                  // a 10 MB line
    log += "Working on Unit 01 [" + std::string(1 << 20, '[') + "\r\n"; // nothing to close it
    log += std::string("\0\0\0 steps \0", 11);
    wus.ReadLog(log, "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(wu.Protein, "\x80\x81\xFE");
    EXPECT_NE(wu.Text.find(std::string("\0\xFF", 2)), std::string::npos);
    EXPECT_TRUE(wu.Text.ends_with(std::string("\0\0\0 steps \0\r\n", 13)));
}

// Only the reader's own path line names the log, and no path line ends a unit: a client's line
// of that kind, or a folder whose name reads like a shutdown, must not move a unit's path.
// The cases of data/reader_cases.txt; every one is also stored and read back, and no text may
// hold the passkey.
TEST(ReaderCases, EachLogGivesTheUnitsWrittenBesideIt)
{
    // A last case header closes the last case.
    std::istringstream in(test::TestData("workunits/data/reader_cases.txt") + "== \n");
    test::TFakeClock clock;
    TWUs wus;
    std::string name, path, log, expected;
    bool expecting = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.starts_with("#"))
            continue;
        if ((line.starts_with("@") || line == "=>") && !log.empty()) {
            wus.ReadLog(log, path, clock);
            log.clear();
        }
        if (line.starts_with("== ")) {
            if (!name.empty()) {
                SCOPED_TRACE(name);
                std::string units;
                for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
                    const TWU& wu = *wus.Items(i);
                    units += Digest(wu) + (wu.LogPath.empty() ? "" : "; path " + wu.LogPath) + "\n";
                    EXPECT_EQ(wu.Text.find("passkey"), std::string::npos);
                }
                EXPECT_EQ(units, expected);
                TWUs again;
                EXPECT_TRUE(history::ReadStoredText(history::StoredTextOf(wus), again, clock));
                test::ExpectSameUnits(wus, again);
            }
            wus.Clear();
            clock = {};
            name = line.substr(3);
            expected.clear();
            expecting = false;
        } else if (line.starts_with("@")) {
            path = line.substr(std::min<std::size_t>(line.size(), 2));
        } else if (int y, mo, d, h, mi, sec; std::sscanf(line.c_str(), "! now %d-%d-%d %d:%d:%d",
                                                         &y, &mo, &d, &h, &mi, &sec) == 6) {
            clock.Value = At(y, mo, d, h, mi, sec);
        } else if (line == "=>") {
            expecting = true;
        } else {
            (expecting ? expected : log) += line + "\n";
        }
    }
}

} // namespace
} // namespace korvid
