#include "live/unit_endings.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

std::string State(const std::string& version, bool withA = true)
{
    return R"({"info": {"version": ")" + version + R"("}, "units": [)" +
           (withA ? R"({"number": 7, "id": "A", "state": "RUN", "wu_progress": 0.5,
                        "run_time": 4320, "ppd": 100},)"
                  : "") +
           R"({"number": 8, "id": "B", "state": "RUN", "wu_progress": 0.2}]})";
}

const std::string Remove0 = R"(["units", 0, null])";

// Each row: a message ("reset": the connection drops) and what Observe tells, in turn.
TEST(EndingWatch, TellsEachEndOnceWhicheverWayItComes)
{
    const std::vector<std::vector<std::string>> rows = {
        {State("8.4.5"), "", R"(["units", 0, "ppd", 0])", "", // a resume: the last PPD stays
         R"(["units", 0, "result", "credited"])", "", Remove0, "A credited CREDITED 100", Remove0,
         "B ended RUN 0"},
        {State("8.4.5"), "", R"(["wus", -2, [{"number": 7, "id": "A", "result": "dumped"}]])",
         "A ended DUMPED 100", Remove0, ""},
        {State("8.4.5"), "", R"(["wus", [{"id": "Z", "result": "credited"}]])", ""}, // history
        {State("8.3.1"), "", R"(["units", 0, "progress", 1])", "", R"(["units", null])",
         "A finished RUN 100,B ended RUN 0"},
        {State("8.4.5"), "", "reset", "", State("8.4.5", false), "", // gone meanwhile
         R"(["wus", [{"number": 7, "id": "A", "result": "credited"}]])", "A credited CREDITED 100"},
    };
    for (const auto& steps : rows) {
        test::TFakeClock clock;
        live::TClientSession session(clock);
        live::TEndingWatch watch;
        for (std::size_t i = 0; i < steps.size(); i += 2) {
            SCOPED_TRACE(steps[i]);
            if (steps[i] == "reset")
                session.Reset();
            else
                ASSERT_EQ(session.Receive(steps[i]).Error, "");
            std::string told;
            for (const live::TUnitEnding& e : watch.Observe(session))
                told += (told.empty() ? "" : ",") + e.Unit.Id + " " +
                        std::vector<std::string>{"credited", "finished", "ended"}.at(
                            static_cast<std::size_t>(e.State)) +
                        " " + e.Unit.Status + " " + std::to_string(std::lround(e.LastPpd));
            EXPECT_EQ(told, steps[i + 1]);
        }
    }
}

TEST(HistoryUnit, KeepsWhatTheLogCanShowAndMarksALostBeginning)
{
    live::TUnitEnding ending;
    ending.Unit.Machine = "rig";
    ending.Unit.BaseCredit = 9; // no progress known: the base credit is the estimate
    ending.LastPpd = 100;
    const std::string project = "09:00:02:I1:WU7:Project: 12419 (Run 34, Clone 3, Gen 196)\r\n";
    const std::string frame40 = "09:20:00:I1:WU7:Completed 40 out of 100 steps (40%)\r\n";
    // Not kept when it cannot say what it is; partial when its first frames are gone.
    const std::vector<std::tuple<std::string, bool, bool>> rows = {
        {"09:00:01:I1:WU7:Starting\r\n" + project +
             "09:10:00:I1:WU7:Completed 0 out of 100 steps (0%)\r\n" + frame40,
         true, false},
        {project + frame40, true, true},
        {frame40, false, false}};
    test::TFakeClock clock;
    for (const auto& [lines, kept, partial] : rows) {
        workunits::TWUs read;
        read.ReadLog("*** Log Started 2026-01-02T09:00:00Z ***\r\n" + lines, "log.txt", clock);
        const auto wu = live::HistoryUnit(ending, read.Items(0));
        ASSERT_EQ(wu.has_value(), kept) << lines;
        EXPECT_TRUE(!wu || wu->Client == (workunits::TClientFacts{9.0, 100.0, "rig", partial}));
    }
}

} // namespace
} // namespace korvid
