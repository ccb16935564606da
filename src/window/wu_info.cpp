#include "window/wu_info.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "util/duration_words.h"
#include "workunits/eta.h"
#include "window/wu_tree.h"

namespace korvid::window {
namespace {

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

std::string Label(const translation::TTranslation& translation, std::string_view key)
{
    return translation.GetText("", key);
}

// Points are whole numbers; a client's estimate is no more precise than that.
std::string Whole(double value)
{
    return std::to_string(std::llround(value));
}

// What a live client said of the unit as it ended, a "label: value" line each.
template <class TLabel>
std::string ClientFactsText(const workunits::TClientFacts& facts, const TLabel& label)
{
    std::string text;
    auto item = [&](std::string_view key, const std::string& value) {
        text += (text.empty() ? "" : "\n") + label(key) + ": " + value;
    };
    if (!facts.Machine.empty())
        item("msgClientMachine", facts.Machine);
    if (facts.Credit)
        item("msgClientCredit", Whole(*facts.Credit));
    if (facts.Ppd)
        item("msgClientPpd", Whole(*facts.Ppd));
    if (facts.Partial)
        text += (text.empty() ? "" : "\n") + label("msgClientPartial");
    return text;
}

} // namespace

std::string EtaText(const workunits::TWU& wu, double now,
                    const translation::TTranslation& translation,
                    const util::IRegionalSettings& regional)
{
    const std::optional<workunits::TEta> eta = workunits::EstimateEnd(wu, now);
    if (!eta)
        return {};
    const util::TDurationWords words =
        util::DurationWordsOf([&](std::string_view key) { return Label(translation, key); });
    // Under a minute left reads as nothing in duration words; the end date still tells.
    return Label(translation, "msgRemainingTime") + ": " +
           util::DurationToText(eta->RemainingSeconds, words) + "\n" +
           Label(translation, "msgExpectedEnd") + ": " + DateTimeText(eta->ExpectedEnd, regional);
}

std::string CoreCodeText(std::uint16_t core)
{
    if (core == workunits::core::None || core == workunits::core::Placeholder)
        return "?";
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(core));
    return text;
}

TWUInfo BuildWUInfo(const workunits::TWU& wu, const translation::TTranslation& translation,
                    const util::IRegionalSettings& regional, std::optional<double> now)
{
    auto label = [&](std::string_view key) { return Label(translation, key); };
    const util::TDurationWords words = util::DurationWordsOf(label);
    auto duration = [&](double seconds) { return util::DurationToText(seconds, words); };
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
    info.Title = ProteinText(wu, true) + " (" + label("msgRun") + " " + run + ", " +
                 label("msgClone") + " " + clone + ", " + label("msgGen") + " " + gen + ")";

    item("msgProtein", wu.Protein);
    item("msgRun", run);
    item("msgClone", clone);
    item("msgGen", gen);
    item("msgCore", wu.CoreName() + " (" + CoreCodeText(wu.Core) + ")");
    item("msgStartDate", dateTime(wu.StartDate()));
    item("msgEndDate", dateTime(wu.EndDate()));
    item("msgElapsedTime", wu.ElapsedKnown() ? duration(wu.ElapsedSeconds()) : std::string());
    if (!wu.Steps.Empty()) {
        const workunits::TBenchmark benchmark = wu.Benchmark();
        line({});
        item("msgExpectedFrames", std::to_string(wu.FramesExpected));
        item("msgFoldedFrames", std::to_string(wu.FoldedFrames()));
        item("msgCalculationTime", duration(wu.CalculationSeconds()));
        item("msgBenchmark", duration(benchmark.Average));
        item("msgValidity",
             util::PercentText(benchmark.Validity,
                               util::PercentStyleOf(label, regional.DecimalSeparator())));
        if (now)
            if (const std::string eta = EtaText(wu, *now, translation, regional); !eta.empty())
                line(eta);
    }
    if (!wu.Client.Empty()) {
        line({});
        line(ClientFactsText(wu.Client, label));
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
