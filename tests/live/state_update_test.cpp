#include "live/state_update.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {

using nlohmann::json;

TEST(ApplyUpdate, FollowsTheClientsRuleAndRefusesPathsIntoNothing)
{
    for (const auto& row : test::CaseTable("live/data/apply_update.cases", 4)) {
        SCOPED_TRACE(row[0]);
        const bool refused = row[3] == "refused";
        json state = json::parse(row[1]), update = json::parse(row[2]);
        EXPECT_EQ(live::ApplyUpdate(state, update) == "", !refused);
        EXPECT_EQ(state, json::parse(refused ? row[1] : row[3]));
    }
}

} // namespace korvid
