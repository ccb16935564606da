#include <gtest/gtest.h>

#include "history/history_store.h"
#include "log_generator.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace korvid {

using workunits::TWUs;

// Units of a few logs, as a donor's history gathers them: restarts, a unit still running when
// it was added, units whose log had no donor lines, the same unit seen twice, odd bytes.
void GatherHistory(TWUs& history, const util::IClock& clock)
{
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        loggen::TLogOptions options;
        options.Seed = seed;
        options.Units = 12;
        options.HighBytes = true;
        std::string log = loggen::GenerateLog(options);
        if (seed == 3) // no user name, user ID or machine ID lines
            log = log.substr(log.find("Loaded queue successfully."));
        TWUs read;
        read.ReadLog(log, "C:\\FAH\\log" + std::to_string(seed) + "\\FAHlog.txt", clock);
        read.ReadLog(log, "D:\\copy\\FAHlog.txt", clock); // the same units again
        for (std::ptrdiff_t i = 0; i < read.Count(); ++i)
            if (!history.Contains(*read.Items(i)))
                history.ReadLog(read.Items(i)->Text, {}, clock);
    }
}

TEST(HistoryRoundTrip, SavedUnitsLoadBackInOrderByteForByte)
{
    test::TTempDir dir;
    test::TFakeClock clock;
    TWUs history;
    GatherHistory(history, clock);
    ASSERT_GT(history.Count(), 40);

    history::THistoStore store(dir.Path());
    store.SaveHisto(history.AllText());
    const auto loaded = store.LoadHisto();
    ASSERT_EQ(loaded.Outcome, history::THistoLoad::Loaded) << loaded.Message;

    TWUs again;
    again.ReadLog(loaded.Text, {}, clock);
    ASSERT_EQ(again.Count(), history.Count());
    for (std::ptrdiff_t i = 0; i < history.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(again.Items(i)->Text, history.Items(i)->Text);
        EXPECT_EQ(again.Items(i)->Steps, history.Items(i)->Steps);
        EXPECT_EQ(again.Items(i)->UserName, history.Items(i)->UserName);
    }
    // Adding what is already there changes nothing.
    EXPECT_EQ(again.ReadLog(loaded.Text, {}, clock).Added, 0);
}

TEST(HistoryRoundTrip, ALogWithAZeroBlockKeepsEveryUnitThroughTheHistory)
{
    test::TTempDir dir;
    test::TFakeClock clock;
    loggen::TLogOptions options;
    options.Seed = 8;
    options.Units = 8;
    std::string log = loggen::GenerateLog(options);
    // A client that crashed inside the fifth unit left zeros in place of a line's tail.
    std::size_t at = 0;
    for (int unit = 0; unit < 4; ++unit)
        at = log.find("Folding@home Core Shutdown", at + 1);
    at = log.find(" steps ", at);
    ASSERT_NE(at, std::string::npos);
    log.insert(at, std::string(4096, '\0'));
    dir.Write("FAHlog.txt", log);

    TWUs read;
    read.ReadLog(workunits::ReadFahLogText(dir / "FAHlog.txt"), (dir / "FAHlog.txt").string(),
                 clock);
    ASSERT_EQ(read.Count(), 8);
    history::THistoStore store(dir.Path());
    store.SaveHisto(read.AllText());
    const auto loaded = store.LoadHisto();
    ASSERT_EQ(loaded.Outcome, history::THistoLoad::Loaded);
    EXPECT_EQ(loaded.Message, "");
    TWUs again;
    again.ReadLog(loaded.Text, {}, clock);
    ASSERT_EQ(again.Count(), 8);
    for (std::ptrdiff_t i = 0; i < again.Count(); ++i)
        EXPECT_EQ(again.Items(i)->Text, read.Items(i)->Text) << i;
}

} // namespace korvid
