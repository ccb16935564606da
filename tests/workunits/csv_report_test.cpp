#include "workunits/csv_report.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_text.h"
#include "workunits/wus.h"

namespace korvid {

using workunits::TWU;

// Label = the key itself, so a test can see which line is which.
const workunits::TLabels KeyLabels = [](std::string_view key) { return std::string(key); };

TWU ReadUnit(const std::string& log)
{
    test::TFakeClock clock;
    workunits::TWUs wus;
    wus.ReadLog(log, "C:\\FAH\\FAHlog.txt", clock);
    EXPECT_EQ(wus.Count(), 1);
    return *wus.Items(0);
}

// Each text is compared whole with a file of data/: labels, separators, quoting, one column per
// expected frame, and no line end after the last line.
TEST(BuildCsvText, WritesLabelledLinesInTheRegionsFormat)
{
    const TWU worked = ReadUnit(test::Lines({"[08:00:00] - User name: donor (Team 12)",
                                             "[08:00:05] Core required: FahCore_78.exe",
                                             "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
                                             "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
                                             "[08:00:10] Completed 0 out of 500 steps  (0%)",
                                             "[08:30:10] Completed 5 out of 500 steps  (1%)",
                                             "[09:00:40] Completed 10 out of 500 steps  (2%)"}));
    TWU noSteps;
    noSteps.Project = 2665;
    noSteps.EndTime = 46000; // a date, the start unknown: no elapsed time
    TWU quoted = ReadUnit(test::Lines({"[08:00:05] Core required: FahCore_7a.exe",
                                       "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
                                       "[08:00:06] Protein: p12_a;b \"c\" \xE9",
                                       "[08:01:35] Completed 5 out of 500 steps  (1%)"}));
    quoted.UserName = "line\nbreak";
    const workunits::TLabels onlyProject = [](std::string_view key) {
        return key == "msgProject" ? std::string("Projet") : std::string();
    };
    const util::TFixedRegionalSettings point;
    const test::TFakeRegionalSettings comma;
    const struct {
        const char* expected;
        const TWU& wu;
        const workunits::TLabels& labels;
        const util::IRegionalSettings& regional;
    } rows[] = {
        {"worked.csv", worked, KeyLabels, point},
        {"no-steps.csv", noSteps, KeyLabels, comma},
        {"quoted.csv", quoted, onlyProject, comma},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(workunits::BuildCsvText(row.wu, row.labels, row.regional),
                  test::TestData(std::string("workunits/data/") + row.expected));
    }
}

TEST(BuildCsvText, ADamagedFrameCountCannotMakeAHugeFile)
{
    TWU wu;
    wu.FramesExpected = 2'000'000'000;
    wu.Steps.Add().Frame = 1'999'999'999;
    const util::TFixedRegionalSettings regional;
    const std::string text = workunits::BuildCsvText(wu, KeyLabels, regional);
    const std::size_t axis = text.find("msgAxisX");
    const auto commas = std::count(text.begin() + axis, text.begin() + text.find('\r', axis), ',');
    EXPECT_EQ(commas, workunits::MaxCsvFrames);
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
