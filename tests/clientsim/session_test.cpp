#include "sim/session.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

using clientsim::TReplay;

const std::filesystem::path Samples =
    std::filesystem::path(KORVID_SOURCE_DIR) / ".." / "shared" / "api" / "samples" / "v8";

TEST(Replay, RealSessionEndsInItsRecordedFinalState)
{
    const auto capture = Samples / "lufah-watch3-8.4.5.jsonl";
    if (!std::filesystem::exists(capture))
        GTEST_SKIP() << "no captured session at " << capture;
    TReplay replay(clientsim::ReadSession(capture), 100);
    std::size_t messages = 0, pings = 0;
    // Uneven steps: the pace owes fractions of a message from one step to the next.
    while (!replay.Done())
        for (const auto& message : replay.Advance(0.237)) {
            ++messages;
            pings += message == "ping";
        }
    EXPECT_EQ(messages, 5256u);
    EXPECT_GT(pings, 0u);
    const auto final =
        nlohmann::json::parse(test::ReadFileForTest(Samples / "lufah-watch3-8.4.5-final.json"));
    EXPECT_EQ(replay.State(), final);

    replay.Restart();
    EXPECT_EQ(replay.State(), clientsim::ReadSession(capture).State);
}

TEST(Replay, DatesMoveTogetherSoTheStateEndsNow)
{
    clientsim::TSession session = clientsim::ParseSession(
        R"({"units": [{"assignment": {"time": "2024-09-30T19:24:58Z"}, "start_time":
        "2024-10-01T01:05:37.250Z", "state": "2024-10-01"}]} ["units", 0, "end_time",
        "2024-10-01T04:17:30Z"])");
    clientsim::MoveToNow(session, 1796731200); // 2026-12-08 12:00:00
    EXPECT_EQ(session.State["units"][0], nlohmann::json::parse(R"({"start_time":
        "2026-12-08T12:00:00Z", "assignment": {"time": "2026-12-08T06:19:21Z"}, "state":
        "2024-10-01"})"));
    EXPECT_EQ(session.Messages[0][3], "2026-12-08T15:11:53Z");
}

TEST(ReadSession, DamagedSessionNamesTheFileAndTheValue)
{
    test::TTempDir dir;
    for (const auto& row : test::CaseTable("clientsim/data/damaged_sessions.cases", 3)) {
        SCOPED_TRACE(row[0]);
        dir.Write("session.jsonl", row[1]);
        test::ExpectErrorNaming([&] { (void)clientsim::ReadSession(dir.Path() / "session.jsonl"); },
                                {"session.jsonl", row[2]});
    }
}

} // namespace
} // namespace korvid
