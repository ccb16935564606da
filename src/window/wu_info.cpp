#include "window/wu_info.h"

#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "util/duration_text.h"
#include "window/wu_tree.h"

namespace korvid::window {
namespace {

// Fixed two decimals with the regional separator. to_chars, because Qt programs run under the
// user's C locale and printf would follow it.
std::string TwoDecimals(float value, char separator)
{
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    if (error != std::errc())
        return {};
    std::string result(text, end);
    if (const std::size_t dot = result.find('.'); dot != std::string::npos)
        result[dot] = separator;
    return result;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trimmed(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

std::string CoreCodeText(std::uint16_t core)
{
    if (core == workunits::core::None || core == workunits::core::Placeholder)
        return "?";
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(core));
    return text;
}

TWUInfo BuildWUInfo(const workunits::TWU& wu, const translation::TTranslation& translation,
                    const util::IRegionalSettings& regional)
{
    auto label = [&](std::string_view key) { return translation.GetText("", key); };
    auto dateTime = [&](double value) { return DateTimeText(value, regional); };
    std::string memo;
    auto line = [&memo](const std::string& text) {
        memo += text;
        memo += '\n';
    };
    auto item = [&](std::string_view key, const std::string& value) {
        line(label(key) + ": " + value);
    };
    const std::string run = std::to_string(wu.Run);
    const std::string clone = std::to_string(wu.Clone);
    const std::string gen = std::to_string(wu.Gen);

    TWUInfo info;
    info.Title = ProteinText(wu) + " (" + label("msgRun") + " " + run + ", " + label("msgClone") +
                 " " + clone + ", " + label("msgGen") + " " + gen + ")";

    item("msgProtein", wu.Protein);
    item("msgRun", run);
    item("msgClone", clone);
    item("msgGen", gen);
    item("msgCore", wu.CoreName() + " (" + CoreCodeText(wu.Core) + ")");
    item("msgStartDate", dateTime(wu.StartDate()));
    item("msgEndDate", dateTime(wu.EndDate()));
    item("msgElapsedTime", util::DurationToText(wu.ElapsedSeconds()));
    if (!wu.Steps.Empty()) {
        const workunits::TBenchmark benchmark = wu.Benchmark();
        line({});
        item("msgExpectedFrames", std::to_string(wu.FramesExpected));
        item("msgFoldedFrames", std::to_string(wu.FoldedFrames()));
        item("msgCalculationTime", util::DurationToText(wu.CalculationSeconds()));
        item("msgBenchmark", util::DurationToText(benchmark.Average));
        item("msgValidity", TwoDecimals(benchmark.Validity, regional.DecimalSeparator()) + "%");
    }
    line({});
    item("msgUsername", wu.UserName);
    item("msgUserID", wu.UserID);
    item("msgMachineID", std::to_string(wu.MachineID));
    item("msgTeam", std::to_string(wu.Team));
    line({});
    item("msgLogPath", wu.LogPath);
    info.Memo = Trimmed(memo);
    return info;
}

} // namespace korvid::window
