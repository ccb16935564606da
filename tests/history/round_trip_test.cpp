#include <gtest/gtest.h>

#include "history/history_store.h"
#include "log_generator.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_files.h"
#include "workunits/log_text.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

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

class HistoryRoundTrip : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeClock clock;

    // Saved into Korvid.dat and loaded: the same units in the same order, byte for byte.
    void ExpectSurvivesTheHistory(const TWUs& units)
    {
        history::THistoStore store(dir.Path());
        store.SaveHisto(units.AllText());
        const auto loaded = store.LoadHisto();
        ASSERT_EQ(loaded.Outcome, history::THistoLoad::Loaded) << loaded.Message;
        EXPECT_EQ(loaded.Message, "");
        TWUs again;
        again.ReadLog(loaded.Text, {}, clock);
        test::ExpectSameUnits(units, again);
        EXPECT_TRUE(again.AllText() == units.AllText());
        EXPECT_EQ(again.ReadLog(loaded.Text, {}, clock).Added, 0); // nothing new
    }
};

TEST_F(HistoryRoundTrip, SavedUnitsLoadBackInOrderByteForByte)
{
    TWUs history;
    GatherHistory(history, clock);
    ASSERT_GT(history.Count(), 40);
    ExpectSurvivesTheHistory(history);
}

TEST_F(HistoryRoundTrip, ALogWithAZeroBlockKeepsEveryUnitThroughTheHistory)
{
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
    ExpectSurvivesTheHistory(read);
}

} // namespace
} // namespace korvid
