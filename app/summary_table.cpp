#include "summary_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/date_time.h"
#include "util/platform.h"
#include "workunits/csv_writer.h"
#include "workunits/eta.h"

namespace korvid::inspect {
namespace {

using workunits::TWU;

constexpr std::size_t ColumnCount = 8;
// 1900-12-31: no client log is that old, so earlier dates are times of a log without dates.
constexpr double UndatedBefore = 367;
using TCells = std::vector<std::string>;

// Numbers line up on the right.
constexpr bool RightAligned[ColumnCount] = {true, true, false, true, true, false, false, false};

const TCells& Header()
{
    static const TCells header = {"Project",   "R/C/G", "Core",      "Frames",
                                  "Per frame", "Start", "End / ETA", "Result"};
    return header;
}

using TRow = TTableRow;

std::string Number(int value)
{
    return value < 0 ? "?" : std::to_string(value);
}

// Minutes are what a donor compares; seconds are rounded.
std::string PerFrame(const workunits::TBenchmark& benchmark)
{
    if (benchmark.Kept == 0)
        return "-";
    return SecondsText(benchmark.Average);
}

// A log without dates gives times counted from day 0: only the time of day, and the days
// past it, mean anything then.
std::string Minutes(double dateTime)
{
    if (dateTime == 0)
        return "-";
    const std::string text = util::FormatIso(dateTime);
    if (dateTime >= UndatedBefore || text.size() < 16)
        return text.substr(0, 16);
    const auto days = static_cast<long long>(std::floor(dateTime + 0.5 / 86400));
    return (days > 0 ? "+" + std::to_string(days) + "d " : std::string()) + text.substr(11, 5);
}

std::string CoreText(const TWU& wu)
{
    if (wu.Core == workunits::core::None || wu.Core == workunits::core::Placeholder)
        return "?";
    char code[16];
    std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned>(wu.Core));
    const std::string name = wu.CoreName();
    return name == "?" ? code : std::string(code) + " " + name;
}

// The client's word after the result form ("Core Shutdown: FINISHED_UNIT", "FahCore returned:
// BAD_WORK_UNIT (114 = 0x72)", v8's "Core returned FINISHED_UNIT (100)"), made safe for a
// terminal. Another line gives the word after its last colon.
std::string ShutdownWord(std::string_view line)
{
    if (line.ends_with("Too many retries, failing WU"))
        return "FAILED";
    const std::size_t colon = line.rfind(':');
    std::string_view rest = colon == std::string_view::npos ? line : line.substr(colon + 1);
    for (const std::string_view form :
         {"Core Shutdown: ", "FahCore returned: ", "Core returned ", ", returned: "})
        if (const std::size_t at = line.rfind(form); at != std::string_view::npos) {
            rest = line.substr(at + form.size());
            break;
        }
    const std::size_t first = rest.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return "ended";
    rest = rest.substr(first);
    rest = rest.substr(0, rest.find_first_of(" \t"));
    std::string word(rest);
    for (char& c : word)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            c = '?';
    return word;
}

TRow MakeRow(const TWU& wu, double now)
{
    TRow row;
    TCells& cells = row.Cells;
    cells.resize(ColumnCount);
    cells[0] = Number(wu.Project);
    cells[1] = Number(wu.Run) + "/" + Number(wu.Clone) + "/" + Number(wu.Gen);
    cells[2] = CoreText(wu);
    // The last frame the log gave, as the client counts them; a restart may repeat frames.
    const int done = wu.Steps.Empty() ? 0 : std::max(0, wu.Steps.Back().Frame);
    cells[3] = std::to_string(done) + "/" +
               (wu.FramesExpected > 0 ? std::to_string(wu.FramesExpected) : "?");
    cells[4] = PerFrame(wu.Benchmark());
    cells[5] = Minutes(wu.StartDate());
    if (!wu.ShutdownLine.empty()) {
        cells[6] = Minutes(wu.EndDate());
        cells[7] = ShutdownWord(wu.ShutdownLine);
        row.Tone = cells[7] == "FINISHED_UNIT" ? TTone::Good : TTone::Bad;
    } else if (const auto eta = workunits::EstimateEnd(wu, now)) {
        cells[6] = "ETA " + Minutes(eta->ExpectedEnd);
        // An end that should have come already: the client stopped, or the log is old.
        const bool folding = eta->RemainingSeconds > 0;
        cells[7] = folding ? "folding" : "unfinished";
        row.Tone = folding ? TTone::Running : TTone::Plain;
    } else {
        cells[6] = "-";
        cells[7] = "unfinished";
    }
    return row;
}

std::vector<TRow> MakeRows(const workunits::TWUs& wus, double now)
{
    std::vector<TRow> rows;
    rows.reserve(static_cast<std::size_t>(wus.Count()));
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
        rows.push_back(MakeRow(*wus.Items(i), now));
    return rows;
}

const char* ToneStart(TTone tone)
{
    switch (tone) {
    case TTone::Good:
        return "\x1b[32m";
    case TTone::Bad:
        return "\x1b[31m";
    case TTone::Running:
        return "\x1b[33m";
    case TTone::Plain:
        break;
    }
    return "";
}

void WriteLine(const TCells& cells, std::span<const std::size_t> widths,
               std::span<const bool> rightAligned, TTone tone, bool colour, std::string& out)
{
    for (std::size_t column = 0; column < widths.size(); ++column) {
        const std::string empty;
        const std::string& cell = column < cells.size() ? cells[column] : empty;
        const std::size_t pad = widths[column] - cell.size();
        const bool last = column + 1 == widths.size();
        const bool right = column < rightAligned.size() && rightAligned[column];
        if (column > 0)
            out += "  ";
        if (right)
            out.append(pad, ' ');
        const bool tinted = last && colour && tone != TTone::Plain;
        if (tinted)
            out += ToneStart(tone);
        out += cell;
        if (tinted)
            out += "\x1b[0m";
        if (!right && !last)
            out.append(pad, ' ');
    }
    out += '\n';
}

} // namespace

std::string SecondsText(double seconds)
{
    if (!(seconds > 0) || !std::isfinite(seconds))
        return "-";
    const long long whole = std::llround(std::min(seconds, 1e9));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

void WriteAlignedTable(const std::vector<std::string>& header, std::span<const TTableRow> rows,
                       std::span<const bool> rightAligned, bool colour, std::ostream& out)
{
    std::vector<std::size_t> widths(header.size());
    for (std::size_t column = 0; column < header.size(); ++column) {
        widths[column] = header[column].size();
        for (const TTableRow& row : rows)
            if (column < row.Cells.size())
                widths[column] = std::max(widths[column], row.Cells[column].size());
    }
    std::string text;
    WriteLine(header, widths, rightAligned, TTone::Plain, false, text);
    for (const TTableRow& row : rows)
        WriteLine(row.Cells, widths, rightAligned, row.Tone, colour, text);
    out << text;
}

void WriteSummaryTable(const workunits::TWUs& wus, double now, std::ostream& out, bool colour)
{
    WriteAlignedTable(Header(), MakeRows(wus, now), RightAligned, colour, out);
}

void WriteSummaryCsv(const workunits::TWUs& wus, double now, std::ostream& out)
{
    const util::TFixedRegionalSettings regional;
    const workunits::TLabels labels;
    workunits::TCsvWriter csv(labels, regional);
    const auto line = [&csv](const TCells& cells) {
        csv.Row(cells[0]);
        for (std::size_t column = 1; column < cells.size(); ++column)
            csv.Field(cells[column]);
    };
    // A live client's facts trail, empty for units read from logs, so that the columns before
    // them stay where scripts expect them.
    TCells header = Header();
    header.insert(header.end(), {"Machine", "Credit", "PPD"});
    line(header);
    const auto number = [](const std::optional<double>& value) {
        return value ? std::to_string(std::llround(*value)) : std::string();
    };
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const TWU& wu = *wus.Items(i);
        TCells cells = MakeRow(wu, now).Cells;
        cells.insert(cells.end(),
                     {wu.Client.Machine, number(wu.Client.Credit), number(wu.Client.Ppd)});
        line(cells);
    }
    out << csv.Finish() << "\r\n";
}

} // namespace korvid::inspect
