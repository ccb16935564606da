#include "live/unit_endings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

std::string State(const std::string& version, const std::string& units)
{
    return R"({"info": {"version": ")" + version + R"(", "mach_name": "rig"},
               "groups": {"": {"config": {}}}, "units": [)" +
           units + "]}";
}

const std::string UnitA = R"({"number": 7, "id": "A", "state": "RUN", "wu_progress": 0.5,
                              "run_time": 4320, "ppd": 100})";
const std::string UnitB = R"({"number": 8, "id": "B", "state": "RUN", "wu_progress": 0.2})";
const std::string Reset = "reset";

std::string Told(const std::vector<live::TUnitEnding>& endings)
{
    std::string text;
    for (const live::TUnitEnding& ending : endings) {
        constexpr const char* States[] = {"credited", "finished", "ended"};
        text += (text.empty() ? "" : ",") + ending.Unit.Id + " " +
                States[static_cast<int>(ending.State)] + " " + ending.Unit.Status + " " +
                std::to_string(static_cast<int>(ending.LastPpd));
    }
    return text;
}

TEST(EndingWatch, TellsEachEndOnceWhicheverWayItComes)
{
    struct Step {
        std::string message;
        std::string told; // what Observe says after it
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
    };
    const std::string state = State("8.4.5", UnitA + "," + UnitB);
    const std::vector<Row> rows = {
        {"credited, then removed",
         {{state, ""},
          {R"(["units", 0, "result", "credited"])", ""},
          {R"(["units", 0, null])", "A credited CREDITED 100"},
          {R"(["units", 0, null])", "B ended RUN 0"}}},
        {"its record comes first, the removal tells nothing more",
         {{state, ""},
          {R"(["wus", -2, [{"number": 7, "id": "A", "state": "DONE", "result": "dumped"}]])",
           "A ended DUMPED 100"},
          {R"(["units", 0, null])", ""}}},
        {"the list a connection starts with is the client's history",
         {{state, ""}, {R"(["wus", [{"number": 3, "id": "Z", "result": "credited"}]])", ""}}},
        {"8.3 sends no result: all folded is finished, less is ended",
         {{State("8.3.1", UnitA + "," + UnitB), ""},
          {R"(["units", 0, "progress", 1])", ""},
          {R"(["units", null])", "A finished RUN 100,B ended RUN 0"}}},
        {"a PPD fallen to 0 on a resume keeps the last one",
         {{state, ""},
          {R"(["units", 0, "ppd", 0])", ""},
          {R"(["units", 0, null])", "A ended RUN 100"}}},
        {"gone while not followed: the next connection's list says how",
         {{state, ""},
          {Reset, ""},
          {State("8.4.5", UnitB), ""},
          {R"(["log", ["09:00:00:I1:WU8:Starting"]])", ""},
          {R"(["wus", [{"number": 7, "id": "A", "result": "credited"}]])",
           "A credited CREDITED 100"}}},
        {"gone while not followed, and not in the list: told as last seen",
         {{state, ""},
          {Reset, ""},
          {State("8.4.5", UnitB), ""},
          {R"(["wus", []])", "A ended RUN 100"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TFakeClock clock;
        live::TClientSession session(clock);
        live::TEndingWatch watch;
        for (const Step& step : row.steps) {
            if (step.message == Reset)
                session.Reset();
            else
                ASSERT_EQ(session.Receive(step.message).Error, "") << step.message;
            EXPECT_EQ(Told(watch.Observe(session)), step.told) << step.message;
        }
    }
}

// A v8 unit's lines as the live log keeps them.
std::string UnitLines(bool start, bool project, int firstFrame)
{
    std::string text = "*** Log Started 2026-01-02T09:00:00Z ***\r\n";
    if (start)
        text += "09:00:01:I1:WU7:Starting\r\n";
    if (project)
        text += "09:00:02:I1:WU7:Project: 12419 (Run 34, Clone 3, Gen 196)\r\n";
    for (int frame = firstFrame; frame <= 100; frame += 10)
        text += "09:" + std::to_string(10 + frame / 10) + ":00:I1:WU7:Completed " +
                std::to_string(frame) + "000 out of 100000 steps (" + std::to_string(frame) +
                "%)\r\n";
    return text;
}

TEST(HistoryUnit, KeepsWhatTheLogCanShowAndMarksALostBeginning)
{
    live::TUnitEnding ending;
    ending.Unit.Machine = "rig 1";
    ending.Unit.Project = 12419;
    ending.Unit.Run = 34;
    ending.Unit.Clone = 3;
    ending.Unit.Gen = 196;
    ending.Unit.Progress = 100;
    ending.Unit.RunSeconds = 8640;
    ending.Unit.BaseCredit = 5;
    ending.LastPpd = 100;
    struct Row {
        const char* name;
        std::string lines;
        int gen;
        bool kept;
        bool partial;
    };
    const std::vector<Row> rows = {
        {"whole", UnitLines(true, true, 0), 196, true, false},
        {"frames before 40 % lost", UnitLines(true, true, 40), 196, true, true},
        {"start lost", UnitLines(false, true, 0), 196, true, true},
        {"project line lost", UnitLines(false, false, 40), 196, false, false},
        {"another gen than the client's", UnitLines(true, true, 0), 197, false, false},
    };
    test::TFakeClock clock;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        workunits::TWUs read;
        read.ReadLog(row.lines, "rig/log.txt", clock);
        ASSERT_EQ(read.Count(), 1);
        ending.Unit.Gen = row.gen;
        const auto wu = live::HistoryUnit(ending, read.Items(0));
        ASSERT_EQ(wu.has_value(), row.kept);
        if (!wu)
            continue;
        EXPECT_EQ(wu->Text, read.Items(0)->Text);
        EXPECT_EQ(wu->Steps.Count(), read.Items(0)->Steps.Count());
        EXPECT_TRUE(wu->Client == (workunits::TClientFacts{10.0, 100.0, "rig 1", row.partial}));
    }
    EXPECT_FALSE(live::HistoryUnit(ending, nullptr));
    ending.LastPpd = 0; // no PPD: the base credit is all the client said
    EXPECT_EQ(live::CreditEstimate(ending), 5.0);
}

} // namespace
} // namespace korvid
