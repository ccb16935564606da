#pragma once

#include <vector>

#include "sim/scripted_client.h"

namespace korvid::clientsim {

// The scripts of a farm of clients served by one process: each its own seed and machine name,
// so that no two hold the same units or show under the same name. A given name is numbered
// (rig1, rig2...); without one each is named by its seed, as a lone client is.
[[nodiscard]] std::vector<TScriptOptions> FarmScripts(const TScriptOptions& first, int clients);

} // namespace korvid::clientsim
