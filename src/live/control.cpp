#include "live/control.h"

#include <nlohmann/json.hpp>

namespace korvid::live {

std::string ControlCommand(TControl control, const std::optional<std::string>& group)
{
    const char* state = "pause";
    switch (control) {
    case TControl::Pause:
        break;
    case TControl::Fold:
        state = "fold";
        break;
    case TControl::Finish:
        state = "finish";
        break;
    }
    // No "time": the client then takes its own now, and a clock behind the client's last change
    // would have the command ignored without a word.
    nlohmann::json command = {{"cmd", "state"}, {"state", state}};
    if (group)
        command["group"] = *group; // "" names the default group
    return command.dump();
}

} // namespace korvid::live
