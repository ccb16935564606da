#include "sim/farm.h"

#include <set>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

using clientsim::FarmScripts;
using clientsim::TScriptOptions;

TEST(FarmScripts, GivesEachClientItsOwnSeedAndNameAndKeepsALoneOneAsAsked)
{
    for (const auto& row : test::CaseTable("clientsim/data/farm_names.cases", 4)) {
        SCOPED_TRACE(row[0]);
        const auto scripts =
            FarmScripts({.Groups = 4, .Seed = 7, .MachineName = row[1]}, std::stoi(row[2]));
        std::string names;
        std::set<std::uint64_t> seeds;
        for (const TScriptOptions& script : scripts) {
            names += (names.empty() ? "" : " ") + script.MachineName;
            seeds.insert(script.Seed);
            EXPECT_EQ(script.Groups, 4);
        }
        EXPECT_EQ(names, row[3]);
        EXPECT_EQ(seeds.size(), scripts.size());
    }
}

} // namespace
} // namespace korvid
