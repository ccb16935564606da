#include "workunits/csv_report.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "util/duration_words.h"
#include "util/file_io.h"
#include "workunits/csv_writer.h"

namespace korvid::workunits {
namespace {

std::string CoreCode(std::uint16_t core)
{
    if (core == core::None || core == core::Placeholder)
        return "?";
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(core));
    return text;
}

} // namespace

std::string BuildCsvText(const TWU& wu, const TLabels& labels,
                         const util::IRegionalSettings& regional)
{
    TCsvWriter csv(labels, regional);
    const util::TDurationWords words =
        labels ? util::DurationWordsOf(labels) : util::TDurationWords{};
    csv.Line("msgProject").Field(wu.Project);
    csv.Line("msgProtein").Field(wu.Protein);
    csv.Line("msgRun").Field(wu.Run);
    csv.Line("msgClone").Field(wu.Clone);
    csv.Line("msgGen").Field(wu.Gen);
    csv.Line("msgCore").Field(wu.CoreName()).Field(CoreCode(wu.Core));
    csv.Line("msgStartDate").Field(csv.DateAndTime(wu.StartDate()));
    csv.Line("msgEndDate").Field(csv.DateAndTime(wu.EndDate()));
    csv.Line("msgElapsedTime")
        .Field(wu.ElapsedKnown() ? util::DurationToText(wu.ElapsedSeconds(), words) : "");
    if (!wu.Steps.Empty()) {
        const TBenchmark benchmark = wu.Benchmark();
        csv.Line("msgExpectedFrames").Field(wu.FramesExpected);
        csv.Line("msgFoldedFrames").Field(wu.FoldedFrames());
        csv.Line("msgCalculationTime").Field(util::DurationToText(wu.CalculationSeconds(), words));
        csv.Line("msgBenchmark").Field(util::DurationToText(benchmark.Average, words));
        csv.Line("msgValidity").Field(csv.TwoDecimals(benchmark.Validity) + "%");
    }

    // The first step of each frame number, found in one pass rather than a search per column.
    const int frames = std::min(wu.FramesExpected, MaxCsvFrames);
    std::vector<const TStep*> byFrame(static_cast<std::size_t>(std::max(frames, 0)) + 1, nullptr);
    for (const TStep& step : wu.Steps)
        if (step.Frame >= 1 && step.Frame <= frames &&
            byFrame[static_cast<std::size_t>(step.Frame)] == nullptr)
            byFrame[static_cast<std::size_t>(step.Frame)] = &step;
    csv.Line("msgAxisX");
    for (int i = 1; i <= frames; ++i)
        csv.Field(i);
    csv.Line("msgAxisY");
    for (int i = 1; i <= frames; ++i) {
        const TStep* step = byFrame[static_cast<std::size_t>(i)];
        csv.Field(step != nullptr ? csv.TwoDecimals(step->Duration / 60.0) : std::string{});
    }

    csv.Line("msgUsername").Field(wu.UserName);
    csv.Line("msgUserID").Field(wu.UserID);
    csv.Line("msgMachineID").Field(wu.MachineID);
    csv.Line("msgTeam").Field(wu.Team);
    csv.Line("msgLogPath").Field(wu.LogPath);
    // After every line a unit read from a log has, so that those exports stay as they were.
    if (!wu.Client.Empty()) {
        csv.Line("msgClientMachine").Field(wu.Client.Machine);
        csv.Line("msgClientCredit")
            .Field(wu.Client.Credit ? csv.TwoDecimals(*wu.Client.Credit) : std::string());
        csv.Line("msgClientPpd")
            .Field(wu.Client.Ppd ? csv.TwoDecimals(*wu.Client.Ppd) : std::string());
    }
    return csv.Finish();
}

void SaveCsv(const TWU& wu, const std::filesystem::path& fileName, const TLabels& labels,
             const util::IRegionalSettings& regional)
{
    util::WriteFileAtomically(fileName, BuildCsvText(wu, labels, regional) + "\r\n");
}

} // namespace korvid::workunits
