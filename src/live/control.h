#pragma once

// What the user may ask of a client: its own pause, fold and finish, and nothing else. There is
// no way in for `config`, which can delete a client's groups, nor for `dump`, which throws a
// unit away.

#include <optional>
#include <string>

namespace korvid::live {

enum class TControl { Pause, Fold, Finish };

// The command's text for one group, or for every group of the client when there is none.
[[nodiscard]] std::string ControlCommand(TControl control, const std::optional<std::string>& group);

} // namespace korvid::live
