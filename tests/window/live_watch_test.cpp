#include "window/live_watch.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace korvid {
namespace {

TEST(LiveWatch, TellsUnitsEndedWithoutCreditWhileFollowedNotTheClientsHistory)
{
    test::TFakeClock clock;
    live::TClientSession session(clock);
    window::TLiveWatch watch([](std::string_view key) { return std::string(key) + " %s %d"; });
    std::vector<std::string> told;
    watch.SetNotice([&](const std::string& text) { told.push_back(text); });
    watch.Follow(1);
    auto feed = [&](std::string_view message) {
        ASSERT_EQ(session.Receive(message).Error, "") << message;
        for (const live::TUnitView& unit : watch.NewlyEnded(0, session))
            watch.UnitEnded("rig", unit);
    };
    feed(R"({"info": {"version": "8.4.5"}, "config": {}, "groups": {"": {}}, "units": []})");
    feed(R"(["wus", [{"id": "old", "number": 1, "result": "dumped"}]])");
    feed(R"(["wus", -2, [{"id": "A", "number": 7, "result": "failed"},
                         {"id": "B", "number": 8, "result": "credited"}]])");
    feed("\"ping\"");
    EXPECT_EQ(told, std::vector<std::string>{"msgLiveNoCredit rig 7"});
}

} // namespace
} // namespace korvid
