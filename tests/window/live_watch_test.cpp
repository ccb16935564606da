#include "window/live_watch.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(LiveWatch, TellsOnlyUnitsThatEndedWithoutCredit)
{
    window::TLiveWatch watch([](std::string_view key) { return std::string(key) + " %s %d"; });
    std::vector<std::string> told;
    watch.SetNotice([&](const std::string& text) { told.push_back(text); });
    watch.Follow(1);
    for (const char* status : {"FAILED", "CREDITED", "RUN", "DUMPED"}) {
        live::TUnitView unit;
        unit.Number = status[0];
        unit.Status = status;
        watch.UnitEnded("rig", unit);
    }
    EXPECT_EQ(told, (std::vector<std::string>{"msgLiveNoCredit rig 70", "msgLiveNoCredit rig 68"}));
}

} // namespace
} // namespace korvid
