#include "live/client_session.h"

#include <filesystem>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "live/unit_json.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korvid {

using nlohmann::json;

class ClientSessionTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
    live::TClientSession session{clock};
    const std::string State84 = test::TestData("live/data/state84.json");

    void Feed(std::string_view message)
    {
        const live::TSessionStep step = session.Receive(message);
        ASSERT_EQ(step.Error, "") << message;
    }
};

TEST_F(ClientSessionTest, ReplayingTheRealSessionGivesItsFinalState)
{
    const std::filesystem::path samples =
        std::filesystem::path(KORVID_CORPUS_DIR) / ".." / "api" / "samples" / "v8";
    if (!std::filesystem::exists(samples / "lufah-watch3-8.4.5.jsonl"))
        GTEST_SKIP() << "no " << samples;
    // A stream of concatenated JSON values, the first over many lines.
    std::istringstream stream(test::ReadFileForTest(samples / "lufah-watch3-8.4.5.jsonl"));
    int messages = 0;
    while (stream >> std::ws, !stream.eof()) {
        json value;
        stream >> value;
        ASSERT_NO_FATAL_FAILURE(Feed(value.dump()));
        ++messages;
        // The views kept up to date one field at a time are the views read afresh.
        const json& state = session.State();
        const auto version = *live::ParseVersion(state["info"]["version"].get<std::string>());
        const auto& units = session.Units();
        ASSERT_EQ(units.size(), state["units"].size());
        for (std::size_t i = 0; i < units.size(); ++i)
            ASSERT_EQ(units[i], live::ViewAt(state["units"][i], state, version, clock.Now()))
                << "message " << messages << ", unit " << i;
    }
    EXPECT_EQ(messages, 5257);
    EXPECT_EQ(session.State(),
              json::parse(test::ReadFileForTest(samples / "lufah-watch3-8.4.5-final.json")));
    // The last unit as the inspector writes it; its id is the client's, not ours to keep.
    ASSERT_EQ(session.Units().size(), 1u);
    json unit = live::UnitJson(session.Units()[0], nullptr);
    unit.erase("id");
    EXPECT_EQ(unit, json::parse(test::TestData("live/data/replay_final_unit.json")));
    EXPECT_EQ(session.TotalPpd(), 0);
}

TEST_F(ClientSessionTest, UnitsStayFindableByIdAcrossRemovalAndInsertion)
{
    Feed(State84);
    Feed(R"(["units",0,null])");
    Feed(R"(["units",0,"wu_progress",0.3])"); // B, now first
    Feed(R"(["units",2,{"group":"","number":10,"state":"ASSIGN"}])");
    Feed(R"(["units",2,"id","D"])");
    EXPECT_EQ(session.FindUnit("A"), std::nullopt);
    EXPECT_DOUBLE_EQ(session.FindUnit("B")->Progress, 30);
    EXPECT_EQ(session.FindUnit("C")->Number, 9);
    EXPECT_EQ(session.FindUnit("D")->Number, 10);
    EXPECT_EQ(session.Units().size(), 3u);
    EXPECT_EQ(session.TotalPpd(), 50);
}

TEST_F(ClientSessionTest, SubscribesByVersionAndRefusesThe81Shape)
{
    const std::map<std::string, live::TSessionPhase> phases = {
        {"live", live::TSessionPhase::Live},
        {"read only", live::TSessionPhase::ReadOnly},
        {"unsupported", live::TSessionPhase::Unsupported}};
    for (const auto& row : test::CaseTable("live/data/versions.cases", 3)) {
        SCOPED_TRACE(row[0]);
        session.Reset();
        json state = json::parse(State84);
        state["info"]["version"] = row[0];
        const live::TSessionStep step = session.Receive(state.dump());
        EXPECT_EQ(session.Phase(), phases.at(row[1]));
        EXPECT_EQ(step.Send.size(), std::stoul(row[2]));
        for (const std::string& command : step.Send)
            EXPECT_TRUE(json::parse(command)["cmd"] == "log" ||
                        json::parse(command)["cmd"] == "wus");
    }
}

TEST_F(ClientSessionTest, ThePasskeyReachesNoViewAndNoJson)
{
    Feed(State84);
    Feed(R"(["config","passkey","fedcba9876543210fedcba9876543210"])");
    Feed(R"(["config",{"user":"donor","passkey":"fedcba9876543210fedcba9876543210"}])");
    std::string out = session.State().dump();
    for (const live::TUnitView& unit : session.Units())
        out += live::UnitJson(unit, session.LoggedUnit(unit)).dump();
    out += session.Receive(R"({"passkey":"fedcba9876543210fedcba9876543210" x})").Error;
    EXPECT_EQ(out.find("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(out.find("fedcba9876543210"), std::string::npos);
}

TEST_F(ClientSessionTest, BadMessagesGiveAReasonAndLeaveTheStateWhole)
{
    const std::string huge(live::TClientSession::MaxMessageBytes + 1, ' ');
    const std::string deep = "[\"units\",0,\"x\"," + std::string(100000, '[') + "\"[\\\"\"" +
                             std::string(100000, ']') + "]";
    json many = {"units", json::array()};
    many[1].get_ref<json::array_t&>().resize(live::TClientSession::MaxUnits + 1);
    Feed(State84);
    const json before = session.State();
    for (const std::string& message : {huge, deep})
        EXPECT_NE(session.Receive(message).Error, "") << message.substr(0, 30);
    for (const auto& row : test::CaseTable("live/data/bad_messages.cases", 1))
        EXPECT_NE(session.Receive(row[0]).Error, "") << row[0];
    EXPECT_EQ(session.State(), before);
    EXPECT_NE(session.Receive(many.dump()).Error, "");
    EXPECT_EQ(session.Phase(), live::TSessionPhase::AwaitingState);
    live::TClientSession fresh(clock);
    EXPECT_NE(fresh.Receive(R"(["units",0,null])").Error, "");
    EXPECT_EQ(fresh.Phase(), live::TSessionPhase::AwaitingState);
}

TEST_F(ClientSessionTest, TheLogStreamGivesUnitsTheirFramesAndFinishedUnitsAreKept)
{
    clock.Value = test::At(2024, 10, 1, 12);
    Feed(State84);
    Feed(R"j(["log",["11:00:00:I1:WU7:Project: 1 (Run 2, Clone 3, Gen 4)",
                    "11:00:00:I1:WU7:Completed 0 out of 100 steps (0%)"]])j");
    Feed(R"j(["log",-2,["11:06:00:I1:WU7:Completed 1 out of 100 steps (1%)"]])j");
    const live::TUnitView unit = *session.FindUnit("A");
    const workunits::TWU* logged = session.LoggedUnit(unit);
    ASSERT_NE(logged, nullptr);
    EXPECT_EQ(logged->Steps.Count(), 2);
    EXPECT_EQ(live::UnitJson(unit, logged)["log"]["frames"][1]["duration"], 360);
    EXPECT_EQ(session.LoggedUnit(*session.FindUnit("B")), nullptr);

    Feed(R"(["wus",[{"id":"Z","number":3,"result":"credited"}]])");
    Feed(
        R"(["wus",-2,[{"id":"A","number":7,"result":"dumped"},{"id":"Z","number":3,"result":"credited"}]])");
    const auto finished = session.FinishedUnits();
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_EQ(finished[0].Id + finished[1].Status, "ZDUMPED");
    EXPECT_FALSE(session.State().contains("log"));
}

} // namespace korvid
