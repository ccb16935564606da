#pragma once

// Logs of the v7 and v8 clients (log.txt and logs/log-*.txt): lines "HH:MM:SS:WU02:FS01:..."
// or "HH:MM:SS:I1:WU44:...", several units interleaved. docs/log-formats.md has the rules.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workunits/client_line.h"
#include "workunits/step.h"
#include "workunits/wu.h"

namespace korvid::workunits {

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

// What reading a client log and reading its stored texts share: how a unit is keyed, cut and
// built from its lines.
struct TSeen;

// The slot and unit a line names, as one key.
[[nodiscard]] std::string KeyOf(const TClientLine& line);
// A line a unit is cut by: one that names its unit and says something of it, or the core line
// of early v7 that names no unit.
[[nodiscard]] bool IsOwn(const TClientLine& line);
[[nodiscard]] bool PrcgDiffers(const std::array<int, 4>& known, const TClientLine& line);
// The unit is read from its text alone, whether it was just cut from a log or stored: both
// give the same unit. seen, when given, holds what the last lines said, one for each.
[[nodiscard]] std::unique_ptr<TWU> BuildUnit(const std::vector<std::string_view>& lines,
                                             TTextArena& arena, std::vector<TStep>& spareSteps,
                                             const std::vector<TSeen>* seen = nullptr);

} // namespace korvid::workunits
