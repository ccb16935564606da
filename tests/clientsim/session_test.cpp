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
