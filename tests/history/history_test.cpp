#include "history/history.h"

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "history/framed_text.h"
#include "log_generator.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "testing/zlib_helpers.h"
#include "workunits/log_files.h"
#include "workunits/log_text.h"

namespace korvid {
namespace {

using workunits::TWU;
using workunits::TWUs;

const auto Any = [](const TWU&) { return true; };

// Units of logs of every dialect, as a donor's history gathers them: restarts, units still
// running, odd bytes, several slots.
void ReadLogs(TWUs& logs, const util::IClock& clock, int units)
{
    using loggen::TDialect;
    for (const TDialect dialect : {TDialect::V6, TDialect::V7, TDialect::V8}) {
        loggen::TLogOptions options;
        options.Dialect = dialect;
        options.Seed = 3 + static_cast<int>(dialect);
        options.Units = units;
        options.HighBytes = dialect == TDialect::V6;
        logs.ReadLog(loggen::GenerateLog(options),
                     "C:\\FAH\\" + std::to_string(options.Seed) + "\\log.txt", clock);
    }
}

class HistoryTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeClock clock;

    // Saved into Korvid.dat and loaded by a new run: the same units in the same order.
    void ExpectSurvivesTheHistory(history::THistory& history)
    {
        history.Save();
        history::THistory again(dir.Path(), clock);
        const auto loaded = again.Load();
        ASSERT_EQ(loaded.Outcome, history::THistoLoad::Loaded) << loaded.Message;
        EXPECT_EQ(loaded.Message, "");
        EXPECT_FALSE(again.Guarded());
        test::ExpectSameUnits(history.WUs(), again.WUs());
    }
};

TEST_F(HistoryTest, UnitsOfEveryDialectLoadBackAsTheyWereAdded)
{
    TWUs logs;
    ReadLogs(logs, clock, 12);
    for (const auto& path : test::CorpusLogs()) // every real log, when there are any
        logs.ReadLog(workunits::ReadFahLogText(path), path.string(), clock);
    // A framed history's v5/v6 text holding a line stamped like a client's, with LF ends.
    const history::TStoredUnit odd{history::TUnitKind::Classic,
                                   "[12:00:00] Project: 1 (Run 0, Clone 0, Gen 0)\n"
                                   "12:00:01:WU00:FS00:Starting\n",
                                   {}};
    ASSERT_TRUE(history::ReadStoredText(history::WriteFramedText({&odd, 1}, true), logs, clock));
    history::THistory history(dir.Path(), clock);
    const auto adding = history.Add(logs, Any);
    ASSERT_EQ(adding.Added, logs.Count());
    EXPECT_EQ(history.Add(logs, Any).Candidates, 0);
    logs.Clear(); // the history's units are copies: they outlive the log they came from
    ExpectSurvivesTheHistory(history);
}

TEST_F(HistoryTest, V6UnitsAloneAreStoredAsEarlierVersionsWroteThem)
{
    loggen::TLogOptions options;
    options.Seed = 8;
    options.Units = 8;
    std::string log = loggen::GenerateLog(options);
    for (const bool zeros : {false, true}) {
        SCOPED_TRACE(zeros ? "zero bytes in a unit" : "plain");
        // A reader of the unframed text stops at a zero byte: such a unit goes framed.
        if (zeros)
            log.insert(log.find(" steps ", log.size() / 2), std::string(3, '\0'));
        TWUs logs;
        logs.ReadLog(log, "C:\\FAH\\FAHlog.txt", clock);
        history::THistory history(dir.Path(), clock);
        history.Add(logs, Any);
        EXPECT_EQ(history.StoredText() == logs.AllText(), !zeros);
        ExpectSurvivesTheHistory(history);
    }
}

TEST_F(HistoryTest, EarlierVersionsClientTextsLoadWholeAndAreSavedFramed)
{
    TWUs logs;
    ReadLogs(logs, clock, 6);
    history::THistoStore(dir.Path()).SaveHisto(logs.AllText()); // as earlier versions stored it
    history::THistory history(dir.Path(), clock);
    ASSERT_EQ(history.Load().Outcome, history::THistoLoad::Loaded);
    test::ExpectSameUnits(logs, history.WUs());
    EXPECT_NE(history.StoredText().find(history::FrameMark), std::string::npos);
    ExpectSurvivesTheHistory(history);
}

// Refused whole and said at once: a history too large to save would put every unit added since
// the last save at stake at shutdown.
TEST_F(HistoryTest, AdditionsThatWouldPassTheRoomAreRefusedWhole)
{
    loggen::TLogOptions options;
    options.Units = 3;
    TWUs logs;
    logs.ReadLog(loggen::GenerateLog(options), "FAHlog.txt", clock);
    ASSERT_EQ(logs.Count(), 3);
    const auto unit = [&](int i) -> const TWU& { return *logs.Items(i); };
    const std::size_t b0 = unit(0).Text.size(), b1 = unit(1).Text.size();
    const std::size_t all = b0 + b1 + unit(2).Text.size();
    history::THistory history(dir.Path(), clock, b0 + b1);
    using TResult = std::tuple<int, int, std::size_t, bool>; // added, candidates, total, no room
    auto add = [&](const history::THistory::TAdding& a) {
        return TResult{a.Added, a.Candidates, a.Total, a.NoRoom};
    };
    EXPECT_EQ(add(history.Add(logs, Any)), TResult(0, 3, all, true));
    EXPECT_EQ(add(history.Add(unit(0))), TResult(1, 1, b0, false));
    EXPECT_EQ(add(history.Add(logs, Any)), TResult(0, 2, all, true));
    EXPECT_EQ(add(history.Add(unit(1))), TResult(1, 1, b0 + b1, false)) << "exactly the room";
    EXPECT_EQ(add(history.Add(unit(2))), TResult(0, 1, all, true));
    EXPECT_EQ(add(history.Add(unit(1))), TResult(0, 0, 0, false)) << "already here";
    EXPECT_EQ(history.WUs().Count(), 2);
}

// The file stays as it is and is not saved over without the user's say; the units held stay
// too, or what could be read of them is loaded.
TEST_F(HistoryTest, FileNotReadWholeIsGuarded)
{
    TWUs logs;
    ReadLogs(logs, clock, 2);
    const std::string stored = history::StoredTextOf(logs);
    const std::string first(logs.Items(0)->Text);
    struct Row {
        const char* name;
        std::string bytes;
        history::THistoLoad outcome;
        int unitsAfter; // -1: those held before
    };
    const std::vector<Row> rows = {
        {"not a zlib stream", "not a zlib stream", history::THistoLoad::Damaged, -1},
        {"more announced than a history may hold",
         test::Compress(test::Payload(static_cast<std::uint32_t>(history::MaxHistoBytes + 1), "")),
         history::THistoLoad::TooLarge, -1},
        {"a frame one byte short", history::DeflateStream(stored.substr(0, stored.size() - 1)),
         history::THistoLoad::Damaged, -1},
        {"a zero byte after the first v6 unit",
         history::DeflateStream(first + std::string(1, '\0') + first), history::THistoLoad::Loaded,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("Korvid.dat", row.bytes);
        history::THistory history(dir.Path(), clock);
        history.Add(logs, Any);
        const auto loaded = history.Load();
        EXPECT_EQ(loaded.Outcome, row.outcome);
        EXPECT_NE(loaded.Message.find((dir / "Korvid.dat").string()), std::string::npos);
        EXPECT_TRUE(history.Guarded());
        EXPECT_EQ(history.WUs().Count(), row.unitsAfter < 0 ? logs.Count() : row.unitsAfter);
        EXPECT_TRUE(dir.Read("Korvid.dat") == row.bytes);
        history.Save(); // the user said so
        EXPECT_FALSE(history.Guarded());
        EXPECT_TRUE(dir.Read("Korvid.dat.bak") == row.bytes);
    }
}

} // namespace
} // namespace korvid
