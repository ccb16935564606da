#include "live/unit_view.h"

#include <tuple>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korvid {

using nlohmann::json;

TEST(ParseEta, ReadsEveryFormTheClientWrites)
{
    for (const auto& row : test::CaseTable("live/data/eta.cases", 2)) {
        SCOPED_TRACE(row[0]);
        const auto seconds = live::ParseEta(json::parse(row[0]));
        EXPECT_EQ(seconds, row[1] == "none" ? std::nullopt : std::optional(std::stod(row[1])));
    }
}

class UnitViewTest : public ::testing::Test {
protected:
    const json sample = json::parse(test::TestData("live/data/unit_view.json"));
    json state = sample["state"];
    json unit = sample["unit"];
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
    EXPECT_EQ(std::tie(view.CoreName, view.Status, view.Progress, view.EtaSeconds, view.Gpus),
              std::tuple("Gromacs A8", "RUN", 25.0, 3600.0,
                         std::vector<live::TGpu>{{"gpu:1:0:0", "Big GPU"}}));
    EXPECT_NEAR(view.RunSeconds, 600 + 300, 1e-3); // the current run counts
    EXPECT_NEAR(view.TpfSeconds, 900.0 / 25, 1e-3);
    EXPECT_NEAR(view.Timeout, test::At(2024, 10, 2, 9), 1e-9);
    EXPECT_NEAR(view.Deadline, test::At(2024, 10, 3, 9), 1e-9);
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
    EXPECT_EQ(std::tie(view.Number, view.Progress, view.Ppd, view.RunSeconds, view.CoreName,
                       view.Assigned, view.Gpus),
              std::tuple(-1, 100.0, 0.0, 0.0, "?", 0.0, std::vector<live::TGpu>{}));
}

} // namespace korvid
