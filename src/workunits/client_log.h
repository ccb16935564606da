#pragma once

// Logs of the v7 and v8 clients (log.txt and logs/log-*.txt): lines "HH:MM:SS:WU02:FS01:..."
// or "HH:MM:SS:I1:WU44:...", several units interleaved. docs/log-formats.md has the rules.

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "workunits/wu.h"

namespace korvid::workunits {

enum class TLogDialect { Classic, Client };

// From the first time-stamped line: "[HH:MM:SS]" is the v5/v6 client, "HH:MM:SS:" or a
// "Log Started" banner the v7/v8 client. Classic when neither shows near the start.
[[nodiscard]] TLogDialect DetectDialect(std::string_view content);

// Whether a line is written by the v7/v8 client: a client time stamp or a dating banner.
[[nodiscard]] bool IsClientLine(std::string_view line);

class TTextArena;
class TPassedBytes;

// Gets each unit as soon as its Text is sealed in the arena, before the next one is begun, so it
// may give the text back. Returns a step list the next unit may reuse (maybe none).
using TTakeUnit = std::function<std::vector<TStep>(std::unique_ptr<TWU>)>;

// The units of a whole client log in the order they close, the ones still open at the end last.
// Each unit's Text is its dating lines, the log-path line, then its own lines. passed, when given,
// learns which bytes of content are no longer needed.
void ReadClientLog(std::string_view content, std::string_view logPath, TTextArena& arena,
                   const TTakeUnit& take, TPassedBytes* passed = nullptr);

struct TTextRun {
    std::string_view Text;
    bool Client = false;
};

// A stored text cut into runs of v5/v6 unit texts and of client unit texts, in order. A text
// without client lines is one run.
[[nodiscard]] std::vector<TTextRun> SplitStoredText(std::string_view content);

// Takes a unit read from a stored text: the storage its steps had, or nothing when it was refused
// as a copy of one already held.
using TKeepUnit = std::function<std::optional<std::vector<TStep>>(std::unique_ptr<TWU>)>;

// The units of stored client texts one after the other, as ReadClientLog wrote them. The client
// runs are read as one text, so that what lies between them cuts no client text; each v5/v6 run
// goes to readClassic where it lies among the client units. gone marks the kept lines (time-
// stamped, banners, log-path lines of the client runs, counted in order) to leave out; the lines
// of texts refused now are marked too, and then true is returned: the units a refused text lay
// between may read otherwise without it, so the caller reads again without them.
[[nodiscard]] bool ReadClientTexts(const std::vector<TTextRun>& runs, TTextArena& arena,
                                   const TKeepUnit& keep,
                                   const std::function<void(std::string_view)>& readClassic,
                                   std::vector<bool>& gone);

} // namespace korvid::workunits
