#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workunits/client_line.h"
#include "workunits/step.h"
#include "workunits/wu.h"

// What reading a client log and reading its stored texts share: how a unit is keyed, cut and
// built from its lines.
namespace korvid::workunits {

class TTextArena;
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
