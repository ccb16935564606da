#include "log_report.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <exception>
#include <optional>
#include <utility>

#include "history/compressed_text.h"
#include "history/history.h"
#include "summary_table.h"
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

// The report of a 200 MB log is 400 MB of JSON: it is built in one buffer, escaped by table,
// and handed to the stream a megabyte at a time.
class TJsonOut {
public:
    explicit TJsonOut(std::ostream& out) : m_out(out) { m_buffer.reserve(FlushAt + Slack); }
    ~TJsonOut() { Flush(); }
    TJsonOut(const TJsonOut&) = delete;
    TJsonOut& operator=(const TJsonOut&) = delete;

    void Raw(std::string_view text)
    {
        m_buffer.append(text);
        MaybeFlush();
    }
    void Int(long long value)
    {
        char text[24];
        const auto result = std::to_chars(text, text + sizeof text, value);
        m_buffer.append(text, result.ptr);
    }
    // The shortest text that reads back to the same single-precision value.
    void Float(float value)
    {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        m_buffer.append(text, result.ptr);
    }
    void DateTime(double dateTime)
    {
        if (dateTime == 0) {
            m_buffer += "null";
            return;
        }
        char text[util::FormatIsoMax + 2];
        text[0] = '"';
        const std::size_t length = util::FormatIsoTo(dateTime, text + 1);
        text[length + 1] = '"';
        m_buffer.append(text, length + 2);
    }
    // Each byte as the code point of the same value (Latin-1), escaped for JSON.
    void String(std::string_view bytes)
    {
        m_buffer += '"';
        const char* run = bytes.data();
        const char* end = run + bytes.size();
        for (const char* at = run; at != end; ++at) {
            const TEscape& escape = Escapes().Of[static_cast<unsigned char>(*at)];
            if (escape.Length == 0)
                continue;
            m_buffer.append(run, at);
            m_buffer.append(escape.Text, escape.Length);
            run = at + 1;
            if (m_buffer.size() >= FlushAt)
                Flush();
        }
        m_buffer.append(run, end);
        m_buffer += '"';
        MaybeFlush();
    }
    void MaybeFlush()
    {
        if (m_buffer.size() >= FlushAt)
            Flush();
    }

private:
    struct TEscape {
        char Text[7] = {};
        std::uint8_t Length = 0; // 0: the byte stands for itself
    };
    struct TEscapes {
        TEscape Of[256];
        TEscapes()
        {
            static constexpr char Hex[] = "0123456789abcdef";
            for (int byte = 0; byte < 256; ++byte) {
                TEscape& escape = Of[byte];
                const auto set = [&escape](std::string_view text) {
                    std::memcpy(escape.Text, text.data(), text.size());
                    escape.Length = static_cast<std::uint8_t>(text.size());
                };
                if (byte == '"')
                    set("\\\"");
                else if (byte == '\\')
                    set("\\\\");
                else if (byte == '\n')
                    set("\\n");
                else if (byte == '\r')
                    set("\\r");
                else if (byte == '\t')
                    set("\\t");
                else if (byte < 0x20 || byte >= 0x7F) {
                    const char code[] = {'\\', 'u', '0', '0', Hex[byte >> 4], Hex[byte & 15]};
                    set({code, sizeof code});
                }
            }
        }
    };
    static const TEscapes& Escapes()
    {
        static const TEscapes escapes;
        return escapes;
    }

    void Flush()
    {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

    static constexpr std::size_t FlushAt = 1 << 20;
    static constexpr std::size_t Slack = 4096;
    std::ostream& m_out;
    std::string m_buffer;
};

class TObject {
public:
    explicit TObject(TJsonOut& out) : m_out(out) { m_out.Raw("{"); }
    ~TObject() { m_out.Raw("}"); }
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    TJsonOut& Key(std::string_view name)
    {
        m_out.Raw(m_first ? "\"" : ", \"");
        m_first = false;
        m_out.Raw(name);
        m_out.Raw("\": ");
        return m_out;
    }
    void Int(std::string_view name, long long value) { Key(name).Int(value); }
    void Str(std::string_view name, std::string_view value) { Key(name).String(value); }
    void Date(std::string_view name, double value) { Key(name).DateTime(value); }
    void Bool(std::string_view name, bool value) { Key(name).Raw(value ? "true" : "false"); }

private:
    TJsonOut& m_out;
    bool m_first = true;
};

void WriteUnit(const TWU& wu, TJsonOut& out)
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
        object.Key("average").Float(benchmark.Average);
        object.Key("validity").Float(benchmark.Validity);
    }
    if (!wu.Client.Empty()) {
        // Only units a followed client ended have them: every other output stays as it was.
        TObject client(unit.Key("client"));
        client.Str("machine", wu.Client.Machine);
        for (const auto& [name, value] :
             {std::pair{"credit", wu.Client.Credit}, std::pair{"ppd", wu.Client.Ppd}})
            if (value) {
                char text[32];
                const auto end = std::to_chars(text, text + sizeof text, *value).ptr;
                client.Key(name).Raw(std::string_view(text, static_cast<std::size_t>(end - text)));
            }
        client.Bool("partial", wu.Client.Partial);
    }
    TJsonOut& steps = unit.Key("steps");
    steps.Raw("[");
    bool first = true;
    for (const workunits::TStep& step : wu.Steps) {
        if (!first)
            steps.Raw(", ");
        first = false;
        TObject object(steps);
        object.Int("frame", step.Frame);
        object.Date("date", step.Date);
        object.Date("prevDate", step.PrevDate);
        object.Int("duration", step.Duration);
        object.Bool("restartAfter", step.RestartAfter);
        object.Bool("convergedAfter", step.ConvergedAfter);
    }
    steps.Raw("]");
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
    "usage: korvid-inspect [--now \"YYYY-MM-DD HH:MM:SS\"] [--history] [--summary|--csv] FILE...\n"
    "       korvid-inspect [--now \"YYYY-MM-DD HH:MM:SS\"] --save-history OUT.dat FILE...\n";

enum class TOutput { Json, Summary, Csv };

// A history that loads only in part is still shown, with a word on stderr.
void ReadHistoryFile(const std::string& file, workunits::TWUs& wus, const util::IClock& clock,
                     std::ostream& err)
{
    const auto result = history::LoadHistoUnits(file, wus, clock);
    switch (result.Outcome) {
    case history::THistoLoad::Loaded:
        if (!result.Message.empty())
            err << "korvid-inspect: " << result.Message << "\n";
        return;
    case history::THistoLoad::Missing:
        throw util::TError(util::CannotRead(util::FileCause(file, ENOENT)));
    case history::THistoLoad::Damaged:
    case history::THistoLoad::TooLarge:
        break;
    }
    throw util::TError(result.Message);
}

} // namespace

void WriteJson(const workunits::TWUs& wus, std::ostream& out)
{
    TJsonOut json(out);
    json.Raw("{\"units\": [");
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        json.Raw(i == 0 ? "\n" : ",\n");
        WriteUnit(*wus.Items(i), json);
    }
    json.Raw(wus.Count() > 0 ? "\n]}\n" : "]}\n");
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const util::IClock& clock, bool outIsTerminal)
{
    TFixedClock fixed;
    const util::IClock* now = &clock;
    bool history = false;
    std::string saveTo;
    TOutput output = TOutput::Json;
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
        } else if (arg == "--summary" || arg == "--csv") {
            const TOutput wanted = arg == "--csv" ? TOutput::Csv : TOutput::Summary;
            if (output != TOutput::Json && output != wanted) {
                err << "korvid-inspect: --summary and --csv do not go together\n" << Usage;
                return 2;
            }
            output = wanted;
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
    if (output != TOutput::Json && !saveTo.empty()) {
        err << "korvid-inspect: --save-history writes no table\n" << Usage;
        return 2;
    }

    workunits::TWUs wus;
    try {
        for (const std::string& file : files) {
            if (history)
                ReadHistoryFile(file, wus, *now, err);
            else
                wus.ReadLogFreeing(workunits::ReadFahLogText(file), file, *now);
        }
        if (!saveTo.empty()) {
            history::SaveCompressedText(history::StoredTextOf(wus), saveTo);
            return 0;
        }
    } catch (const std::exception& error) {
        err << "korvid-inspect: " << error.what() << "\n";
        return 1;
    }
    if (output == TOutput::Summary)
        WriteSummaryTable(wus, now->Now(), out, outIsTerminal);
    else if (output == TOutput::Csv)
        WriteSummaryCsv(wus, now->Now(), out);
    else
        WriteJson(wus, out);
    return 0;
}

} // namespace korvid::inspect
