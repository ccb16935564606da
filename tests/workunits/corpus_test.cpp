#include <algorithm>
#include <filesystem>
#include <set>
#include <string_view>
#include <tuple>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace korvid {

using workunits::TWUs;

std::vector<std::filesystem::path> CorpusLogs()
{
    std::vector<std::filesystem::path> logs;
    const auto dir = test::CorpusDir();
    if (dir.empty())
        return logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    return logs;
}

TEST(Corpus, RealLogsGivePlausibleUnitsThatSurviveTheHistory)
{
    const auto logs = CorpusLogs();
    if (logs.empty())
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    int withSteps = 0;
    for (const auto& path : logs) {
        SCOPED_TRACE(path.string());
        TWUs wus;
        const auto stats = wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
        EXPECT_EQ(stats.Added, wus.Count());
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
            const auto& wu = *wus.Items(i);
            EXPECT_EQ(wu.LogPath, path.string());
            EXPECT_TRUE(wu.Text.ends_with("\r\n"));
            if (wu.Slot.empty() && path.filename() == "FAHlog.txt") {
                EXPECT_NE(wu.Text.find("Core required"), std::string::npos);
            }
            EXPECT_GE(wu.ElapsedSeconds(), 0);
            const auto benchmark = wu.Benchmark();
            EXPECT_LE(benchmark.Kept, wu.Steps.Count());
            EXPECT_GE(benchmark.Average, 0.0F);
            for (const auto& step : wu.Steps)
                EXPECT_GE(step.Duration, 0);
            withSteps += wu.Steps.Empty() ? 0 : 1;
        }
        // Stored and read again: the same units in the same order, byte for byte.
        TWUs history;
        history.ReadLog(wus.AllText(), "", clock);
        ASSERT_EQ(history.Count(), wus.Count());
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
            EXPECT_EQ(history.Items(i)->Text, wus.Items(i)->Text) << "unit " << i;
    }
    EXPECT_GT(withSteps, 100);
}

TEST(Corpus, TheLongGpuLogHoldsItsUnits)
{
    const auto dir = test::CorpusDir();
    const auto path = dir / "v6/v623-win-gpu2-11-14-long/FAHlog.txt";
    if (dir.empty() || !std::filesystem::exists(path))
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    TWUs wus;
    wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
    EXPECT_EQ(wus.Count(), 205);
}

namespace {

std::vector<std::string_view> TextLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

bool HasStamp(std::string_view line)
{
    return line.size() > 10 && line[0] == '[' && line[3] == ':' && line[6] == ':' && line[9] == ']';
}

// A line that gives a month and a day: a start line or the log's opening.
bool IsDatedLine(std::string_view line)
{
    return line.find("Working on") != std::string_view::npos ? line.find(" [", 20) != line.npos
                                                             : line.starts_with("--- Opening");
}

bool IsProgressLine(std::string_view line)
{
    return HasStamp(line) && line.substr(10).starts_with(" Completed ") &&
           line.find_first_of("%p") != std::string_view::npos;
}

// The lines only the reader of the later clients keeps: a history written before holds none.
bool IsLaterClientsLine(std::string_view line)
{
    return line.find("Working on queue slot") != std::string_view::npos ||
           line.starts_with("--- Opening Log file") ||
           (IsProgressLine(line) && line.find(" steps ") == std::string_view::npos);
}

void ExpectSameFields(const workunits::TWU& a, const workunits::TWU& b)
{
    EXPECT_EQ(b.Text, a.Text);
    EXPECT_EQ(std::tie(b.Project, b.Run, b.Clone, b.Gen, b.Protein, b.Core),
              std::tie(a.Project, a.Run, a.Clone, a.Gen, a.Protein, a.Core));
    EXPECT_EQ(
        std::tie(b.UserName, b.Team, b.UserID, b.MachineID, b.FramesExpected, b.ShutdownLine),
        std::tie(a.UserName, a.Team, a.UserID, a.MachineID, a.FramesExpected, a.ShutdownLine));
    EXPECT_EQ(std::tie(b.StartTime, b.LastTime, b.EndTime),
              std::tie(a.StartTime, a.LastTime, a.EndTime));
    EXPECT_EQ(b.Steps, a.Steps);
}

} // namespace

TEST(Corpus, SixClientsLogsGiveDatesFramesCoresAndTheirOwnProjects)
{
    const auto dir = test::CorpusDir();
    if (dir.empty() || !std::filesystem::exists(dir / "v6"))
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    int units = 0;
    int datable = 0;
    int dated = 0;
    int withProgress = 0;
    int withSteps = 0;
    for (const auto& path : CorpusLogs()) {
        if (path.parent_path().parent_path().filename() != "v6")
            continue;
        SCOPED_TRACE(path.string());
        TWUs wus;
        wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
        TWUs history;
        history.ReadLog(wus.AllText(), "", clock);
        ASSERT_EQ(history.Count(), wus.Count());
        std::string legacy;
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
            const auto& wu = *wus.Items(i);
            SCOPED_TRACE(i);
            ++units;
            ExpectSameFields(wu, *history.Items(i));
            const auto lines = TextLines(wu.Text);
            const auto firstDated = std::find_if(lines.begin(), lines.end(), IsDatedLine);
            if (std::any_of(firstDated, lines.end(), HasStamp)) {
                ++datable;
                dated += wu.StartDate() >= 2 ? 1 : 0; // not on 1899-12-30
            }
            if (std::any_of(lines.begin(), lines.end(), IsProgressLine)) {
                ++withProgress;
                withSteps += wu.Steps.Empty() ? 0 : 1;
            }
            EXPECT_NE(wu.CoreName(), "?");
            // The project a protein name gives is the unit's own.
            if (wu.Protein.starts_with('p') && wu.Protein.find('_') != std::string::npos)
                EXPECT_TRUE(wu.Protein.starts_with("p" + std::to_string(wu.Project) + "_"))
                    << wu.Protein << " " << wu.Project;
            for (std::string_view line : lines)
                if (!IsLaterClientsLine(line))
                    legacy.append(line).append("\r\n");
        }
        // A history written before these lines were kept loads unit for unit.
        TWUs old;
        old.ReadLog(legacy, "", clock);
        EXPECT_EQ(old.Count(), wus.Count());
    }
    EXPECT_GE(units, 400);
    EXPECT_GE(dated, datable * 95 / 100);
    EXPECT_GE(withSteps, withProgress * 95 / 100);
}

TEST(Corpus, UploadsInsideAUnitLeaveItsIdentityAlone)
{
    const auto dir = test::CorpusDir();
    const auto path = dir / "v6/v623-win-uni-78-82-autosend/FAHlog.txt";
    if (dir.empty() || !std::filesystem::exists(path))
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    TWUs wus;
    wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
    std::set<std::tuple<int, int, int, int>> identities;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const auto& wu = *wus.Items(i);
        identities.emplace(wu.Project, wu.Run, wu.Clone, wu.Gen);
    }
    EXPECT_EQ(identities.size(), static_cast<std::size_t>(wus.Count()));
    EXPECT_GE(wus.Count(), 10);
}

} // namespace korvid
