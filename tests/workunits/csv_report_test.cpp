#include "workunits/csv_report.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_text.h"
#include "workunits/wus.h"

namespace korvid {

using workunits::TWU;

// Label = the key itself, so a test can see which line is which.
const workunits::TLabels KeyLabels = [](std::string_view key) { return std::string(key); };

// Splits CSV text into rows of fields, undoing the quoting.
std::vector<std::vector<std::string>> Parse(std::string_view text, char separator)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                rows.back().back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.emplace_back(1);
            ++i;
        } else {
            rows.back().back() += c;
        }
    }
    return rows;
}

TWU ReadUnit(const std::string& log)
{
    test::TFakeClock clock;
    workunits::TWUs wus;
    wus.ReadLog(log, "C:\\FAH\\FAHlog.txt", clock);
    EXPECT_EQ(wus.Count(), 1);
    TWU wu = *wus.Items(0);
    return wu;
}

TEST(BuildCsvText, WritesLabelledLinesAndOneColumnPerExpectedFrame)
{
    const TWU wu = ReadUnit(test::Lines({"[08:00:00] - User name: donor (Team 12)",
                                         "[08:00:05] Core required: FahCore_78.exe",
                                         "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
                                         "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
                                         "[08:00:10] Completed 0 out of 500 steps  (0%)",
                                         "[08:30:10] Completed 5 out of 500 steps  (1%)",
                                         "[09:00:40] Completed 10 out of 500 steps  (2%)"}));
    const util::TFixedRegionalSettings regional;
    const std::string text = workunits::BuildCsvText(wu, KeyLabels, regional);
    EXPECT_FALSE(text.ends_with("\r\n"));
    const auto rows = Parse(text, ',');
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"msgProject", "2665"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"msgCore", "Gromacs", "78"}));
    EXPECT_EQ(rows[6], (std::vector<std::string>{"msgStartDate", "2026-03-04 08:00"}));
    EXPECT_EQ(rows[8], (std::vector<std::string>{"msgElapsedTime", "1 h. 35 sec."}));
    EXPECT_EQ(rows[9], (std::vector<std::string>{"msgExpectedFrames", "100"}));
    EXPECT_EQ(rows[10], (std::vector<std::string>{"msgFoldedFrames", "2"}));
    EXPECT_EQ(rows[12], (std::vector<std::string>{"msgBenchmark", "30 mn. 15 sec."}));
    EXPECT_EQ(rows[13], (std::vector<std::string>{"msgValidity", "2.00%"}));
    ASSERT_EQ(rows[14].size(), 101u);
    EXPECT_EQ(rows[14][1], "1");
    EXPECT_EQ(rows[14][100], "100");
    ASSERT_EQ(rows[15].size(), 101u);
    EXPECT_EQ(rows[15][1], "30.00");
    EXPECT_EQ(rows[15][2], "30.50");
    EXPECT_EQ(rows[15][3], "");
    EXPECT_EQ(rows[16], (std::vector<std::string>{"msgUsername", "donor"}));
    EXPECT_EQ(rows[19], (std::vector<std::string>{"msgTeam", "12"}));
    EXPECT_EQ(rows[20], (std::vector<std::string>{"msgLogPath", "C:\\FAH\\FAHlog.txt"}));
}

TEST(BuildCsvText, UnitWithoutStepsHasNoBenchmarkLinesAndEmptyAxes)
{
    TWU wu;
    wu.Project = 2665;
    wu.EndTime = 46000; // a date, the start unknown: no elapsed time
    const test::TFakeRegionalSettings regional;
    const auto rows = Parse(workunits::BuildCsvText(wu, KeyLabels, regional), ';');
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"msgProject", "2665"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"msgProtein", ""}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"msgRun", "-1"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"msgCore", "?", "?"}));
    EXPECT_EQ(rows[8], (std::vector<std::string>{"msgElapsedTime", ""}));
    EXPECT_EQ(rows[9], (std::vector<std::string>{"msgAxisX"}));
    EXPECT_EQ(rows[10], (std::vector<std::string>{"msgAxisY"}));
}

TEST(BuildCsvText, FollowsTheRegionalSeparatorsAndQuotesWhatWouldBreakAField)
{
    TWU wu = ReadUnit(test::Lines({"[08:00:05] Core required: FahCore_7a.exe",
                                   "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
                                   "[08:00:06] Protein: p12_a;b \"c\" \xE9",
                                   "[08:01:35] Completed 5 out of 500 steps  (1%)"}));
    wu.UserName = "line\nbreak";
    const test::TFakeRegionalSettings regional;
    const std::string text = workunits::BuildCsvText(
        wu,
        [](std::string_view key) {
            return key == "msgProject" ? std::string("Projet") : std::string();
        },
        regional);
    EXPECT_TRUE(text.starts_with("Projet;12\r\n;\"p12_a;b \"\"c\"\" \xE9\"\r\n")) << text;
    const auto rows = Parse(text, ';');
    EXPECT_EQ(rows[5], (std::vector<std::string>{"", "GB Gromacs", "7A"}));
    EXPECT_EQ(rows[6], (std::vector<std::string>{"", "04/03/2026 08:00"}));
    EXPECT_EQ(rows[13], (std::vector<std::string>{"", "1,00%"}));
    EXPECT_EQ(rows[15][1], "1,50");
    EXPECT_EQ(rows[16], (std::vector<std::string>{"", "line\nbreak"}));
}

TEST(BuildCsvText, ADamagedFrameCountCannotMakeAHugeFile)
{
    TWU wu;
    wu.FramesExpected = 2'000'000'000;
    wu.Steps.Add().Frame = 1'999'999'999;
    const util::TFixedRegionalSettings regional;
    const auto rows = Parse(workunits::BuildCsvText(wu, KeyLabels, regional), ',');
    EXPECT_EQ(rows[14].size(), static_cast<std::size_t>(workunits::MaxCsvFrames) + 1);
}

TEST(SaveCsv, WritesTheTextWithAFinalLineEndOrNamesTheFile)
{
    test::TTempDir dir;
    TWU wu;
    const util::TFixedRegionalSettings regional;
    workunits::SaveCsv(wu, dir / "unit.csv", KeyLabels, regional);
    EXPECT_EQ(dir.Read("unit.csv"), workunits::BuildCsvText(wu, KeyLabels, regional) + "\r\n");
    test::ExpectErrorNaming(
        [&] { workunits::SaveCsv(wu, dir / "missing" / "unit.csv", KeyLabels, regional); },
        {"unit.csv"});
}

} // namespace korvid
