#include "live/state_update.h"

#include <gtest/gtest.h>

namespace korvid {

using nlohmann::json;

TEST(ApplyUpdate, FollowsTheClientsRule)
{
    struct TRow {
        const char* name;
        const char* before;
        const char* update;
        const char* after;
    };
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
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        json state = json::parse(row.before);
        json update = json::parse(row.update);
        EXPECT_EQ(live::ApplyUpdate(state, update), "");
        EXPECT_EQ(state, json::parse(row.after));
    }
}

TEST(ApplyUpdate, RefusesPathsIntoNothingAndLeavesTheStateAlone)
{
    const json before = json::parse(R"({"u":[{"a":1}],"n":3})");
    const char* updates[] = {
        R"(["u",5,"a",1])",     // no such element on the way
        R"(["u",4,null])",      // no such element to remove
        R"(["u",-3,1])",        // a negative index other than -1 and -2
        R"(["u","x",1])",       // a text key on a list
        R"(["n","x",1])",       // into a number
        R"(["u",0,"a","b",1])", // into a number, deeper
        R"([0,1])",             // a number key on the root
        R"(["u",-2,5])",        // -2 without a list
        R"(["u"])",             // no value
    };
    for (const char* text : updates) {
        SCOPED_TRACE(text);
        json state = before;
        json update = json::parse(text);
        EXPECT_NE(live::ApplyUpdate(state, update), "");
        EXPECT_EQ(state, before);
    }
}

} // namespace korvid
