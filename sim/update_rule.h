#pragma once

#include <nlohmann/json.hpp>

namespace korvid::clientsim {

// Applies one message of a v8 client to its state: keys walked from the root, null deletes, an
// index equal to a list's length appends, -1 and -2 append one or many to a stream. False, the
// state unchanged, when the message is no update ("ping") or leads nowhere.
bool ApplyUpdate(nlohmann::json& state, const nlohmann::json& update);

} // namespace korvid::clientsim
