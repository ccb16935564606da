#include "log_report.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>

#include "history/compressed_text.h"
#include "util/date_time.h"
#include "util/error.h"
#include "workunits/log_files.h"

namespace korvid::inspect {
namespace {

using workunits::TWU;

struct TFixedClock final : util::IClock {
    double Value = 0;
    [[nodiscard]] double Now() const override { return Value; }
};

// Each byte as the code point of the same value (Latin-1), escaped for JSON.
void WriteString(std::string_view bytes, std::string& out)
{
    out += '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void WriteDateTime(double dateTime, std::string& out)
{
    if (dateTime == 0) {
        out += "null";
        return;
    }
    out += '"';
    out += util::FormatIso(dateTime);
    out += '"';
}

// The shortest text that reads back to the same single-precision value.
void WriteFloat(float value, std::string& out)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

class TObject {
public:
    explicit TObject(std::string& out) : m_out(out) { m_out += '{'; }
    ~TObject() { m_out += '}'; }
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    std::string& Key(std::string_view name)
    {
        if (!m_first)
            m_out += ", ";
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\": ";
        return m_out;
    }
    void Int(std::string_view name, long long value) { Key(name) += std::to_string(value); }
    void Str(std::string_view name, std::string_view value) { WriteString(value, Key(name)); }
    void Date(std::string_view name, double value) { WriteDateTime(value, Key(name)); }
    void Bool(std::string_view name, bool value) { Key(name) += value ? "true" : "false"; }

private:
    std::string& m_out;
    bool m_first = true;
};

void WriteUnit(const TWU& wu, std::string& out)
{
    TObject unit(out);
    unit.Int("project", wu.Project);
    unit.Int("run", wu.Run);
    unit.Int("clone", wu.Clone);
    unit.Int("gen", wu.Gen);
    unit.Str("protein", wu.Protein);
    unit.Int("core", wu.Core);
    unit.Str("coreName", wu.CoreName());
    unit.Str("userName", wu.UserName);
    unit.Int("team", wu.Team);
    unit.Str("userID", wu.UserID);
    unit.Int("machineID", wu.MachineID);
    unit.Str("logPath", wu.LogPath);
    unit.Int("framesExpected", wu.FramesExpected);
    unit.Str("shutdownLine", wu.ShutdownLine);
    unit.Date("startTime", wu.StartTime);
    unit.Date("endTime", wu.EndTime);
    unit.Date("lastTime", wu.LastTime);
    unit.Date("startDate", wu.StartDate());
    unit.Date("endDate", wu.EndDate());
    unit.Int("elapsedSeconds", wu.ElapsedSeconds());
    unit.Int("calculationSeconds", wu.CalculationSeconds());
    unit.Int("foldedFrames", wu.FoldedFrames());
    unit.Int("maxDuration", wu.MaxDuration());
    {
        const workunits::TBenchmark benchmark = wu.Benchmark();
        TObject object(unit.Key("benchmark"));
        object.Int("kept", benchmark.Kept);
        WriteFloat(benchmark.Average, object.Key("average"));
        WriteFloat(benchmark.Validity, object.Key("validity"));
    }
    std::string& steps = unit.Key("steps");
    steps += '[';
    bool first = true;
    for (const workunits::TStep& step : wu.Steps) {
        if (!first)
            steps += ", ";
        first = false;
        TObject object(steps);
        object.Int("frame", step.Frame);
        object.Date("date", step.Date);
        object.Date("prevDate", step.PrevDate);
        object.Int("duration", step.Duration);
        object.Bool("restartAfter", step.RestartAfter);
        object.Bool("convergedAfter", step.ConvergedAfter);
    }
    steps += ']';
    unit.Str("text", wu.Text);
}

// "YYYY-MM-DD HH:MM:SS" as a local date-time, or none.
std::optional<double> ParseNow(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                    &second, &tail) != 6)
        return std::nullopt;
    const auto date = util::EncodeDate(year, month, day);
    const auto time = util::EncodeTime(hour, minute, second);
    if (!date || !time)
        return std::nullopt;
    return *date + *time;
}

constexpr const char* Usage =
    "usage: korvid-inspect [--now \"YYYY-MM-DD HH:MM:SS\"] [--history] FILE...\n"
    "       korvid-inspect [--now \"YYYY-MM-DD HH:MM:SS\"] --save-history OUT.dat FILE...\n";

} // namespace

void WriteJson(const workunits::TWUs& wus, std::ostream& out)
{
    out << "{\"units\": [";
    std::string unit;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        unit.clear();
        unit += i == 0 ? "\n" : ",\n";
        WriteUnit(*wus.Items(i), unit);
        out << unit;
    }
    out << (wus.Count() > 0 ? "\n]}\n" : "]}\n");
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const util::IClock& clock)
{
    TFixedClock fixed;
    const util::IClock* now = &clock;
    bool history = false;
    std::string saveTo;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--now") {
            const auto value = i + 1 < args.size() ? ParseNow(args[++i]) : std::nullopt;
            if (!value) {
                err << "korvid-inspect: --now needs a date-time \"YYYY-MM-DD HH:MM:SS\"\n" << Usage;
                return 2;
            }
            fixed.Value = *value;
            now = &fixed;
        } else if (arg == "--history") {
            history = true;
        } else if (arg == "--save-history") {
            if (i + 1 >= args.size()) {
                err << "korvid-inspect: --save-history needs the file to write\n" << Usage;
                return 2;
            }
            saveTo = args[++i];
        } else if (arg == "--help" || arg == "-h") {
            out << Usage;
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            err << "korvid-inspect: unknown option " << arg << "\n" << Usage;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        err << Usage;
        return 2;
    }
    if (history && !saveTo.empty()) {
        err << "korvid-inspect: --history and --save-history do not go together\n" << Usage;
        return 2;
    }

    workunits::TWUs wus;
    try {
        for (const std::string& file : files) {
            if (history)
                wus.ReadLog(history::LoadCompressedText(file), {}, *now);
            else
                wus.ReadLog(workunits::ReadFahLogText(file), file, *now);
        }
        if (!saveTo.empty()) {
            history::SaveCompressedText(wus.AllText(), saveTo);
            return 0;
        }
    } catch (const std::exception& error) {
        err << "korvid-inspect: " << error.what() << "\n";
        return 1;
    }
    WriteJson(wus, out);
    return 0;
}

} // namespace korvid::inspect
