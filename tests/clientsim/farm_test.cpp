#include "sim/farm.h"

#include <set>

#include <gtest/gtest.h>

namespace korvid {
namespace {

using clientsim::FarmScripts;
using clientsim::TScriptOptions;

TEST(FarmScripts, GivesEachClientItsOwnSeedAndNameAndKeepsALoneOneAsAsked)
{
    const struct {
        const char* name;
        std::string Given;
        int Clients;
        std::vector<std::string> Names;
    } rows[] = {
        {"unnamed farm: named by seed", "", 3, {"sim7", "sim8", "sim9"}},
        {"named farm: numbered from 1", "rig", 2, {"rig1", "rig2"}},
        {"lone client keeps its name", "rig", 1, {"rig"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto scripts =
            FarmScripts({.Groups = 4, .Seed = 7, .MachineName = row.Given}, row.Clients);
        std::vector<std::string> names;
        std::set<std::uint64_t> seeds;
        for (const TScriptOptions& script : scripts) {
            names.push_back(script.MachineName);
            seeds.insert(script.Seed);
            EXPECT_EQ(script.Groups, 4);
        }
        EXPECT_EQ(names, row.Names);
        EXPECT_EQ(seeds.size(), scripts.size());
    }
}

} // namespace
} // namespace korvid
