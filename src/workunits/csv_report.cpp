#include "workunits/csv_report.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "util/duration_text.h"
#include "util/file_io.h"

namespace korvid::workunits {
namespace {

class TCsvWriter {
public:
    TCsvWriter(const TLabels& labels, const util::IRegionalSettings& regional)
        : m_labels(labels), m_regional(regional), m_separator(regional.ListSeparator())
    {
    }

    // Starts a line with the label of key.
    TCsvWriter& Line(std::string_view key)
    {
        if (!m_text.empty())
            m_text += "\r\n";
        Add(m_labels ? m_labels(key) : std::string{}, false);
        return *this;
    }

    TCsvWriter& Field(std::string_view value)
    {
        Add(value, true);
        return *this;
    }
    TCsvWriter& Field(long long value) { return Field(std::to_string(value)); }

    // "0.00": two decimals, halves away from zero, the regional decimal separator.
    [[nodiscard]] std::string TwoDecimals(double value) const
    {
        if (!std::isfinite(value))
            return "0" + std::string(1, m_regional.DecimalSeparator()) + "00";
        const auto cents =
            static_cast<long long>(std::llround(std::fmin(std::fabs(value), 9e15) * 100.0));
        char text[48];
        std::snprintf(text, sizeof text, "%s%lld%c%02lld", value < 0 && cents != 0 ? "-" : "",
                      cents / 100, m_regional.DecimalSeparator(), cents % 100);
        return text;
    }

    [[nodiscard]] std::string DateAndTime(double dateTime) const
    {
        return m_regional.FormatShortDate(dateTime) + " " + m_regional.FormatShortTime(dateTime);
    }

    // The text without blanks and control characters at either end.
    std::string Finish()
    {
        std::size_t first = 0;
        std::size_t last = m_text.size();
        while (first < last && static_cast<unsigned char>(m_text[first]) <= ' ')
            ++first;
        while (last > first && static_cast<unsigned char>(m_text[last - 1]) <= ' ')
            --last;
        return m_text.substr(first, last - first);
    }

private:
    void Add(std::string_view value, bool separated)
    {
        if (separated)
            m_text += m_separator;
        if (value.find_first_of(std::string{m_separator, '"', '\r', '\n'}) ==
            std::string_view::npos) {
            m_text += value;
            return;
        }
        m_text += '"';
        for (const char c : value) {
            if (c == '"')
                m_text += '"';
            m_text += c;
        }
        m_text += '"';
    }

    const TLabels& m_labels;
    const util::IRegionalSettings& m_regional;
    const char m_separator;
    std::string m_text;
};

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
    csv.Line("msgProject").Field(wu.Project);
    csv.Line("msgProtein").Field(wu.Protein);
    csv.Line("msgRun").Field(wu.Run);
    csv.Line("msgClone").Field(wu.Clone);
    csv.Line("msgGen").Field(wu.Gen);
    csv.Line("msgCore").Field(wu.CoreName()).Field(CoreCode(wu.Core));
    csv.Line("msgStartDate").Field(csv.DateAndTime(wu.StartDate()));
    csv.Line("msgEndDate").Field(csv.DateAndTime(wu.EndDate()));
    csv.Line("msgElapsedTime").Field(util::DurationToText(wu.ElapsedSeconds()));
    if (!wu.Steps.Empty()) {
        const TBenchmark benchmark = wu.Benchmark();
        csv.Line("msgExpectedFrames").Field(wu.FramesExpected);
        csv.Line("msgFoldedFrames").Field(wu.FoldedFrames());
        csv.Line("msgCalculationTime").Field(util::DurationToText(wu.CalculationSeconds()));
        csv.Line("msgBenchmark").Field(util::DurationToText(benchmark.Average));
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
    return csv.Finish();
}

void SaveCsv(const TWU& wu, const std::filesystem::path& fileName, const TLabels& labels,
             const util::IRegionalSettings& regional)
{
    util::WriteFileAtomically(fileName, BuildCsvText(wu, labels, regional) + "\r\n");
}

} // namespace korvid::workunits
