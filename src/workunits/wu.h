#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "workunits/step.h"

namespace korvid::workunits {

class TTextArena;

// Core codes the log names, and the two the reader infers.
namespace core {
constexpr std::uint16_t None = 0;
constexpr std::uint16_t Tinker = 0x65;
constexpr std::uint16_t Gromacs = 0x78;
constexpr std::uint16_t DoubleGromacs = 0x79;
constexpr std::uint16_t GBGromacs = 0x7A;
constexpr std::uint16_t Amber = 0x82;
constexpr std::uint16_t QMD = 0x96;
constexpr std::uint16_t Placeholder = 999; // a project or progress line came before any core line
constexpr std::uint16_t ProtoMol = 0xB4;
} // namespace core

// The line the reader writes into a unit's text to say which log it came from.
inline constexpr std::string_view LogPathLabel = "- FahLog Path: ";

// The kind of machine a named core runs on, for the trees' icons.
enum class TCoreFamily { Classic, Gpu, Cpu, Unknown };
// Classic for the six codes of the first clients, Gpu and Cpu for the later named ones.
[[nodiscard]] TCoreFamily CoreFamily(std::uint16_t code);
// The core's name, "?" for a code the table does not know.
[[nodiscard]] std::string CoreNameOf(std::uint16_t code);

struct TBenchmark {
    int Kept = 0;       // frames left after dropping outliers
    float Average = 0;  // seconds per frame
    float Validity = 0; // kept frames against expected frames, percent
    bool operator==(const TBenchmark&) const = default;
};

// The reader a unit was built by. The history stores it with the unit, so that the unit reads
// back the same whatever its lines look like.
enum class TDialect {
    Classic,      // cut from a v5/v6 log, or from a history's v5/v6 texts, by the log reader
    ClassicWhole, // a framed history's v5/v6 text taken whole: the log reader may cut it otherwise
    Client,       // v7/v8
};

// What a live client told of a unit as it ended, kept with it in the history. Units read from
// log files have none.
struct TClientFacts {
    std::optional<double> Credit; // the client's last credit estimate
    std::optional<double> Ppd;
    std::string Machine;
    bool Partial = false; // the client's log no longer held the unit's first lines
    [[nodiscard]] bool Empty() const { return !Credit && !Ppd && Machine.empty() && !Partial; }
    bool operator==(const TClientFacts&) const = default;
};

// What one line taught the unit, for the reader's bookkeeping.
struct TParseContext {
    double Now = 0;                // local date-time for the year of "Working on Unit" dates
    bool ConversionFailed = false; // a value in the line could not be converted and was left
};

// One work unit as read from the client's log.
class TWU {
public:
    // Every line given to the unit, each followed by CR LF. The bytes live in the arena of the
    // collection that read the unit; TextBytes keeps them alive for copies of the unit.
    std::string_view Text;
    std::shared_ptr<const TTextArena> TextBytes;
    int Gen = -1;
    int Clone = -1;
    int Project = -1;
    int Run = -1;
    std::string Protein;
    std::uint16_t Core = core::None;
    std::string UserName;
    int Team = 0;
    std::string UserID;
    int MachineID = 0;
    std::string LogPath;
    TSteps Steps;
    double LastTime = 0;  // the unit's clock: date-time of the last dated line
    double StartTime = 0; // the last "Working on Unit" date
    double EndTime = 0;
    int FramesExpected = 0;
    std::string ShutdownLine;
    std::string Slot; // the v7 client's folding slot, "FS01"; empty for other logs
    TClientFacts Client;
    TDialect Dialect = TDialect::Classic;

    void SetCore(std::uint16_t code);
    // Also takes the project number from a name like p2665_Rbc while none is known.
    // False when the name holds "p_" with no digits to read.
    bool SetProtein(std::string_view name);

    // Applies the first pattern the line matches. The reader keeps the lines for Text.
    void ParseLine(std::string_view line, TParseContext& context);
    // Appends a step read at the given date-time (none: a line without a time) and merges it
    // with the one before when the frame repeats or goes back.
    void AppendStep(std::optional<double> date, std::optional<int> frame);

    [[nodiscard]] double StartDate() const;
    [[nodiscard]] double EndDate() const;
    [[nodiscard]] int ElapsedSeconds() const;
    // False when the start is not known, or is a time of day while the end is a date: the
    // elapsed time would then be a meaningless (often saturated) figure.
    [[nodiscard]] bool ElapsedKnown() const;
    [[nodiscard]] int CalculationSeconds() const;
    [[nodiscard]] int FoldedFrames() const;
    [[nodiscard]] TBenchmark Benchmark() const;
    [[nodiscard]] int MaxDuration() const;
    [[nodiscard]] const TStep* FindStep(int frame) const;
    [[nodiscard]] std::string CoreName() const;

private:
    [[nodiscard]] bool HasLeadingFrameZero() const;
    void AdvanceClock(std::string_view line);
    // The frame is the first run of digits in frameText.
    void ReadStepLine(std::string_view line, bool frameKind, std::string_view frameText);
    void ReadStartLine(std::string_view line, TParseContext& context);
    void ReadOpeningLine(std::string_view line, TParseContext& context);

    // From the unit's opening or a start line to its next step: where the core names its unit.
    bool m_startingUp = true;
};

} // namespace korvid::workunits
