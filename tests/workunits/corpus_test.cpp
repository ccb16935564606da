#include <filesystem>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace korvid {

using workunits::TWUs;

std::vector<std::filesystem::path> CorpusLogs()
{
    std::vector<std::filesystem::path> logs;
    const auto dir = test::CorpusDir();
    if (dir.empty())
        return logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    return logs;
}

TEST(Corpus, RealLogsGivePlausibleUnitsThatSurviveTheHistory)
{
    const auto logs = CorpusLogs();
    if (logs.empty())
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    int withSteps = 0;
    for (const auto& path : logs) {
        SCOPED_TRACE(path.string());
        TWUs wus;
        const auto stats = wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
        EXPECT_EQ(stats.Added, wus.Count());
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
            const auto& wu = *wus.Items(i);
            EXPECT_EQ(wu.LogPath, path.string());
            EXPECT_TRUE(wu.Text.ends_with("\r\n"));
            EXPECT_NE(wu.Text.find("Core required"), std::string::npos);
            EXPECT_GE(wu.ElapsedSeconds(), 0);
            const auto benchmark = wu.Benchmark();
            EXPECT_LE(benchmark.Kept, wu.Steps.Count());
            EXPECT_GE(benchmark.Average, 0.0F);
            for (const auto& step : wu.Steps)
                EXPECT_GE(step.Duration, 0);
            withSteps += wu.Steps.Empty() ? 0 : 1;
        }
        // Stored and read again: the same units in the same order, byte for byte.
        TWUs history;
        history.ReadLog(wus.AllText(), "", clock);
        ASSERT_EQ(history.Count(), wus.Count());
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
            EXPECT_EQ(history.Items(i)->Text, wus.Items(i)->Text) << "unit " << i;
    }
    EXPECT_GT(withSteps, 100);
}

TEST(Corpus, TheLongGpuLogHoldsItsUnits)
{
    const auto dir = test::CorpusDir();
    const auto path = dir / "v6/v623-win-gpu2-11-14-long/FAHlog.txt";
    if (dir.empty() || !std::filesystem::exists(path))
        GTEST_SKIP() << "no corpus of client logs beside this checkout";
    test::TFakeClock clock;
    TWUs wus;
    wus.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
    EXPECT_EQ(wus.Count(), 205);
}

} // namespace korvid
