#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <tuple>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using workunits::TWU;
using workunits::TWUs;

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

struct TFigures {
    int Units = 0, WithSteps = 0, StepsDated = 0, Cored = 0, Prcg = 0;
    int Datable = 0, StartDated = 0, WithProgress = 0, Stepped = 0; // 6.x logs
};

// The 6.x reader's own checks of one unit: dates, frames, the protein's project, and the lines a
// history written before them would hold.
void CheckSixClientsUnit(const TWU& wu, TFigures& f, std::string& legacy)
{
    const auto lines = TextLines(wu.Text);
    const auto firstDated = std::find_if(lines.begin(), lines.end(), IsDatedLine);
    if (std::any_of(firstDated, lines.end(), HasStamp)) {
        ++f.Datable;
        f.StartDated += wu.StartDate() >= 2 ? 1 : 0; // not on 1899-12-30
    }
    if (std::any_of(lines.begin(), lines.end(), IsProgressLine)) {
        ++f.WithProgress;
        f.Stepped += wu.Steps.Empty() ? 0 : 1;
    }
    EXPECT_NE(wu.CoreName(), "?");
    if (wu.Protein.starts_with('p') && wu.Protein.find('_') != std::string::npos) {
        EXPECT_TRUE(wu.Protein.starts_with("p" + std::to_string(wu.Project) + "_"))
            << wu.Protein << " " << wu.Project;
    }
    for (std::string_view line : lines)
        if (!IsLaterClientsLine(line))
            legacy.append(line).append("\r\n");
}

} // namespace

TEST(Corpus, RealLogsGivePlausibleUnitsThatSurviveTheHistory)
{
    const auto logs = test::CorpusLogs();
    if (logs.empty())
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    std::map<std::string, TFigures> figures; // by client generation: v6, v7, v8
    int named = 0;
    // Counted from the logs: each resume from a checkpoint drops only the frames folded again.
    const std::map<std::string, std::pair<std::tuple<int, int, int, int>, int>> resumed = {
        {"v624r3-linux-smp-a2-bigadv-restarts", {{2683, 4, 11, 18}, 101}},
        {"v7.4.4-linux-gpu17-18-21-badwu", {{11403, 7, 44, 6}, 53}},
        {"v7.1.24-winxp-hfm-client-v7-8", {{7704, 4, 7, 1}, 15}}};
    for (const auto& path : logs) {
        SCOPED_TRACE(path.string());
        const std::string generation =
            std::filesystem::relative(path, test::CorpusDir()).begin()->string();
        TFigures& f = figures[generation];
        TWUs wus;
        wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
        std::string legacy;
        std::set<std::tuple<int, int, int, int>> identities;
        const std::string folder = path.parent_path().filename().string();
        const auto resume = resumed.find(folder);
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
            SCOPED_TRACE(i);
            const auto& wu = *wus.Items(i);
            EXPECT_EQ(wu.LogPath, path.string());
            EXPECT_TRUE(wu.Text.ends_with("\r\n"));
            if (wu.Slot.empty() && path.filename() == "FAHlog.txt") {
                EXPECT_NE(wu.Text.find("Core required"), std::string::npos);
            }
            EXPECT_GE(wu.ElapsedSeconds(), 0);
            bool dated = true;
            for (const auto& step : wu.Steps) {
                EXPECT_GE(step.Duration, 0);
                dated = dated && step.Date > 1; // not on day 0
            }
            ++f.Units;
            f.Cored += wu.CoreName() != "?";
            f.Prcg += wu.Project >= 0 && wu.Run >= 0 && wu.Clone >= 0 && wu.Gen >= 0;
            f.WithSteps += wu.Steps.Empty() ? 0 : 1;
            f.StepsDated += !wu.Steps.Empty() && dated;
            identities.emplace(wu.Project, wu.Run, wu.Clone, wu.Gen);
            if (resume != resumed.end() &&
                resume->second.first == std::tuple(wu.Project, wu.Run, wu.Clone, wu.Gen)) {
                ++named;
                EXPECT_EQ(wu.Steps.Count(), resume->second.second);
            }
            if (generation == "v6")
                CheckSixClientsUnit(wu, f, legacy);
        }
        if (generation == "v6") { // a history written before the later clients' lines loads whole
            TWUs old;
            old.ReadLog(legacy, "", clock);
            EXPECT_EQ(old.Count(), wus.Count());
        }
        if (folder == "v623-win-gpu2-11-14-long") {
            ++named;
            EXPECT_EQ(wus.Count(), 205);
        }
        if (folder == "v623-win-uni-78-82-autosend") { // uploads inside a unit leave it alone
            ++named;
            EXPECT_EQ(identities.size(), static_cast<std::size_t>(wus.Count()));
            EXPECT_GE(wus.Count(), 10);
        }
    }
    EXPECT_EQ(named, 5);
    const TFigures& v6 = figures["v6"];
    EXPECT_GE(v6.Units, 400);
    EXPECT_GE(v6.StartDated, v6.Datable * 95 / 100);
    EXPECT_GE(v6.Stepped, v6.WithProgress * 95 / 100);
    EXPECT_GT(v6.WithSteps, 100);
    const TFigures& v7 = figures["v7"];
    EXPECT_GE(v7.StepsDated * 100, v7.WithSteps * 95);
    EXPECT_GE(v7.Cored * 100, v7.Units * 95);
    EXPECT_GE(v7.Prcg * 100, v7.Units * 95);
    EXPECT_GT(v7.WithSteps, 200);
}

} // namespace korvid
