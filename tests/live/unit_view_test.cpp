#include "live/unit_view.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace korvid {

using nlohmann::json;

TEST(ParseEta, ReadsEveryFormTheClientWrites)
{
    struct TRow {
        const char* eta;
        std::optional<double> seconds;
    };
    const TRow rows[] = {
        {"177", 177},         // 8.4.0-8.4.1: integer seconds
        {R"("2m 57s")", 177}, // 8.4.2 on
        {R"("1.25d")", 108000},
        {R"("2 mins 57 secs")", 177}, // up to 8.3
        {R"("44.00s")", 44},
        {R"("0s")", 0},
        {R"("")", std::nullopt},
        {R"("soon")", std::nullopt},
        {R"("5")", std::nullopt}, // a number needs its unit
        {"-3", std::nullopt},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.eta);
        EXPECT_EQ(live::ParseEta(json::parse(row.eta)), row.seconds);
    }
}

class UnitViewTest : public ::testing::Test {
protected:
    json state = json::parse(R"({
        "info": {"version": "8.4.5", "mach_name": "rig", "gpus": {"gpu:1:0:0": {"description": "Big GPU"}}},
        "config": {"passkey": ""},
        "groups": {"g": {"config": {"finish": false}}}})");
    json unit = json::parse(R"({
        "group": "g", "number": 44, "id": "abc", "state": "RUN", "cpus": 2, "gpus": ["gpu:1:0:0"],
        "progress": 0.9, "wu_progress": 0.25, "run_time": 600, "start_time": "2024-10-01T10:00:00Z",
        "eta": "1h", "ppd": 1000,
        "assignment": {"time": "2024-10-01T09:00:00Z", "project": 18200, "credit": 5000,
                       "timeout": 86400, "deadline": 172800, "core": {"type": "0xa8"}},
        "wu": {"run": 1, "clone": 2, "gen": 3}})");
    double now = test::At(2024, 10, 1, 10, 5, 0);

    live::TUnitView View(const char* version = "8.4.5")
    {
        state["info"]["version"] = version;
        return live::ViewAt(unit, state, *live::ParseVersion(version), now);
    }
};

TEST_F(UnitViewTest, ComputesProgressRunTimeTpfAndDatesFromTheUnit)
{
    const live::TUnitView view = View();
    EXPECT_EQ(view.CoreName, "Gromacs A8");
    EXPECT_DOUBLE_EQ(view.Progress, 25);
    EXPECT_NEAR(view.RunSeconds, 600 + 300, 1e-3); // the current run counts
    EXPECT_NEAR(view.TpfSeconds, 900.0 / 25, 1e-3);
    EXPECT_EQ(view.EtaSeconds, 3600);
    EXPECT_NEAR(view.Timeout, test::At(2024, 10, 2, 9), 1e-9);
    EXPECT_NEAR(view.Deadline, test::At(2024, 10, 3, 9), 1e-9);
    EXPECT_EQ(view.Gpus, (std::vector<live::TGpu>{{"gpu:1:0:0", "Big GPU"}}));
    EXPECT_EQ(view.Status, "RUN");
    EXPECT_DOUBLE_EQ(View("8.3.18").Progress, 90); // before 8.4 the progress is the science
}

TEST_F(UnitViewTest, StatusFollowsTheWebControlsOrder)
{
    unit["pause_reason"] = "Paused";
    EXPECT_EQ(View().Status, "PAUSE");
    state["groups"]["g"]["config"]["finish"] = true;
    EXPECT_EQ(View().Status, "FINISH");
    unit["wait"] = "2024-10-01T11:00:00Z";
    EXPECT_EQ(View().Status, "WAIT");
    now = test::At(2024, 10, 1, 11, 0, 1);
    EXPECT_EQ(View().Status, "FINISH");
    unit["result"] = "credited";
    EXPECT_EQ(View().Status, "CREDITED");
}

TEST_F(UnitViewTest, WrongTypesAndAbsurdValuesLeaveDefaults)
{
    unit = json::parse(R"({"number": "44", "wu_progress": 7, "ppd": 4e12, "run_time": -5,
                           "assignment": {"core": {"type": "0xzz"}, "time": 3}, "gpus": [1]})");
    const live::TUnitView view = View();
    EXPECT_EQ(view.Number, -1);
    EXPECT_DOUBLE_EQ(view.Progress, 100);
    EXPECT_EQ(view.Ppd, 0);
    EXPECT_EQ(view.RunSeconds, 0);
    EXPECT_EQ(view.CoreName, "?");
    EXPECT_EQ(view.Assigned, 0);
    EXPECT_TRUE(view.Gpus.empty());
}

} // namespace korvid
