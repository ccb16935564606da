#include "live/state_update.h"

#include <gtest/gtest.h>

namespace korvid {

using nlohmann::json;

// Each update applied to its state; "after" is null where the update is refused and the state
// must stay as it was.
TEST(ApplyUpdate, FollowsTheClientsRuleAndRefusesPathsIntoNothing)
{
    struct TRow {
        const char* name;
        const char* before;
        const char* update;
        const char* after;
    };
    const char* refused = R"({"u":[{"a":1}],"n":3})";
    const TRow rows[] = {
        {"null deletes a key", R"({"a":{"b":1,"c":2}})", R"(["a","b",null])", R"({"a":{"c":2}})"},
        {"two elements act on the root", R"({"a":1})", R"(["log",["x"]])",
         R"({"a":1,"log":["x"]})"},
        {"a missing key before a number becomes a list", R"({})", R"(["l",0,"x"])",
         R"({"l":["x"]})"},
        {"a missing key before a text becomes a dictionary", R"({})", R"(["d","k",1])",
         R"({"d":{"k":1}})"},
        {"the length appends", R"({"u":[1,2]})", R"(["u",2,3])", R"({"u":[1,2,3]})"},
        {"past the length appends", R"({"u":[1]})", R"(["u",7,3])", R"({"u":[1,3]})"},
        {"-1 appends one value", R"({"u":[1]})", R"(["u",-1,[2]])", R"({"u":[1,[2]]})"},
        {"-2 appends each value", R"({"u":[1]})", R"(["u",-2,[2,3]])", R"({"u":[1,2,3]})"},
        {"null removes and shifts", R"({"u":[1,2,3]})", R"(["u",0,null])", R"({"u":[2,3]})"},
        {"no such element on the way", refused, R"(["u",5,"a",1])", nullptr},
        {"no such element to remove", refused, R"(["u",4,null])", nullptr},
        {"a negative index other than -1 and -2", refused, R"(["u",-3,1])", nullptr},
        {"a text key on a list", refused, R"(["u","x",1])", nullptr},
        {"into a number", refused, R"(["n","x",1])", nullptr},
        {"into a number, deeper", refused, R"(["u",0,"a","b",1])", nullptr},
        {"a number key on the root", refused, R"([0,1])", nullptr},
        {"-2 without a list", refused, R"(["u",-2,5])", nullptr},
        {"no value", refused, R"(["u"])", nullptr},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        json state = json::parse(row.before);
        json update = json::parse(row.update);
        EXPECT_EQ(live::ApplyUpdate(state, update) == "", row.after != nullptr);
        EXPECT_EQ(state, json::parse(row.after ? row.after : row.before));
    }
}

} // namespace korvid
