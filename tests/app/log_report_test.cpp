#include "log_report.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "log_generator.h"
#include "testing/temp_dir.h"

namespace korvid {

class InspectTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeClock clock;
    std::ostringstream out, err;

    int Run(std::vector<std::string> args) { return inspect::Run(args, out, err, clock); }
};

// What the known logs below never show: escaped texts, and what a log left out.
TEST_F(InspectTest, EscapesTextsAndPrintsWhatALogLeftOutAsNullOrMinusOne)
{
    dir.Write("a.txt", "[08:00:00] - User name: \"q\"\\ \xE9 (Team 1)\r\n"
                       "[08:00:05] Core required: FahCore_78.exe\r\n");
    dir.Write("b.txt", "nothing here\r\n");
    ASSERT_EQ(Run({(dir / "b.txt").string()}), 0);
    EXPECT_EQ(out.str(), "{\"units\": []}\n");
    out.str("");
    ASSERT_EQ(Run({(dir / "a.txt").string()}), 0) << err.str();
    const std::string json = out.str();
    EXPECT_TRUE(json.starts_with("{\"units\": [\n{\"project\": -1, \"run\": -1")) << json;
    for (const char* part :
         {"\"userName\": \"\\\"q\\\"\\\\ \\u00e9\"", "\"startTime\": null", "\"steps\": []"})
        EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
}

TEST_F(InspectTest, ThePasskeyOfTheClientsConfigIsInNoOutput)
{
    const std::string passkey = "0123456789abcdef0123456789abcdef";
    const std::string log = (dir / "log.txt").string();
    dir.Write("log.txt", "*** Log Started 2014-07-25T13:57:36Z ***\n13:57:36:  <passkey v='" +
                             passkey + "'/>\n13:57:40:WU00:FS00:Starting\n");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{log}, {"--summary", log}, {"--csv", log}}) {
        out.str("");
        ASSERT_EQ(Run(args), 0) << err.str();
        EXPECT_EQ(out.str().find(passkey), std::string::npos) << args.front();
    }
}

TEST_F(InspectTest, ExitCodesTellUnreadableFilesFromBadUsage)
{
    dir.Write("log.txt", "");
    const std::string log = (dir / "log.txt").string(), saved = (dir / "h.dat").string();
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"--now", "yesterday", log}), 2);
    EXPECT_EQ(Run({"--now", "2026-02-30 10:00:00", log}), 2);
    EXPECT_EQ(Run({"--bogus", log}), 2);
    EXPECT_EQ(Run({"--save-history"}), 2);
    EXPECT_EQ(Run({"--history", "--save-history", saved, log}), 2);
    // Tables mix neither with each other nor with saving a history.
    EXPECT_EQ(Run({"--summary", "--csv", log}), 2);
    EXPECT_EQ(Run({"--csv", "--save-history", saved, log}), 2);
    EXPECT_FALSE(dir.Exists("h.dat"));
    EXPECT_EQ(Run({"--summary", "--summary", log}), 0);
    out.str("");
    EXPECT_EQ(Run({(dir / "missing.txt").string()}), 1);
    EXPECT_NE(err.str().find("missing.txt"), std::string::npos);
    EXPECT_EQ(out.str(), "");
}

TEST_F(InspectTest, SavesLogsAsAHistoryAndReadsItBack)
{
    loggen::TLogOptions options;
    options.Units = 5;
    dir.Write("FAHlog.txt", loggen::GenerateLog(options));
    const auto history = (dir / "Korvid.dat").string();
    ASSERT_EQ(Run({"--save-history", history, (dir / "FAHlog.txt").string()}), 0) << err.str();
    ASSERT_EQ(Run({(dir / "FAHlog.txt").string()}), 0);
    const std::string fromLog = out.str();
    out.str("");
    ASSERT_EQ(Run({"--history", history}), 0) << err.str();
    EXPECT_EQ(out.str(), fromLog);

    dir.Write("bad.dat", "not a history");
    EXPECT_EQ(Run({"--history", (dir / "bad.dat").string()}), 1);
    EXPECT_NE(err.str().find("bad.dat"), std::string::npos);
}

// Known logs print byte for byte what they printed when the expected files were made, so no
// faster writer or reader can change the output unnoticed. KORVID_WRITE_GOLDEN=1 rewrites the
// expected files after a change that is meant.
TEST_F(InspectTest, PrintsKnownLogsExactlyAsBefore)
{
    const auto golden = std::filesystem::path(KORVID_SOURCE_DIR) / "tests" / "app" / "golden";
    const auto corpus = test::CorpusDir();
    const struct {
        const char* name;
        std::filesystem::path log; // empty when the corpus is not here
        const char* expected;
    } rows[] = {
        // Seed 6, 9 units of 12 frames, bytes above 0x7F: cores 65, 78, 79, 7A and 96, a restart,
        // a SIGTERM, converged lines and an unfinished last unit.
        {"generated log", golden / "generated-FAHlog.txt", "generated.json"},
        {"GPU client 6.23",
         corpus.empty() ? corpus : corpus / "v6" / "v623-win-gpu2-11" / "FAHlog.txt",
         "v623-win-gpu2-11.json"},
        {"uniprocessor client 6.23 with an SMP core",
         corpus.empty() ? corpus : corpus / "v6" / "v623-win-uni-78-a0" / "FAHlog.txt",
         "v623-win-uni-78-a0.json"},
    };
    const bool rewrite = std::getenv("KORVID_WRITE_GOLDEN") != nullptr;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.log.empty())
            continue;
        // Copied to a fixed name, whose folder is then taken out of the output.
        dir.Write("FAHlog.txt", test::ReadFileForTest(row.log));
        const std::string path = (dir / "FAHlog.txt").string();
        out.str("");
        ASSERT_EQ(Run({"--now", "2026-12-07 08:00:00", path}), 0) << err.str();
        std::string json = out.str();
        for (auto at = json.find(path); at != std::string::npos; at = json.find(path, at))
            json.replace(at, path.size(), "FAHlog.txt");
        if (rewrite) {
            std::ofstream(golden / row.expected, std::ios::binary) << json;
            continue;
        }
        EXPECT_EQ(json, test::ReadFileForTest(golden / row.expected));
    }
}

} // namespace korvid
