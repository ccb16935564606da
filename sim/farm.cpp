#include "sim/farm.h"

#include <string>

namespace korvid::clientsim {

std::vector<TScriptOptions> FarmScripts(const TScriptOptions& first, int clients)
{
    std::vector<TScriptOptions> scripts;
    for (int i = 0; i < clients; ++i) {
        TScriptOptions& script = scripts.emplace_back(first);
        script.Seed = first.Seed + static_cast<std::uint64_t>(i);
        script.MachineName = first.MachineName.empty() ? "sim" + std::to_string(script.Seed)
                             : clients == 1            ? first.MachineName
                                                       : first.MachineName + std::to_string(i + 1);
    }
    return scripts;
}

} // namespace korvid::clientsim
