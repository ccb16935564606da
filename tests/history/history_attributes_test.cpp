#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "history/framed_text.h"
#include "history/history.h"
#include "log_generator.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/log_text.h"

namespace korvid {
namespace {

using workunits::TClientFacts;
using workunits::TWU;
using workunits::TWUs;

TEST(HistoryAttributes, ClientFactsRoundTripWhateverTheMachineIsCalled)
{
    test::TTempDir dir;
    test::TFakeClock clock;
    TWUs logs;
    for (const loggen::TDialect dialect : {loggen::TDialect::V6, loggen::TDialect::V8}) {
        loggen::TLogOptions options;
        options.Dialect = dialect;
        options.Units = 4;
        logs.ReadLog(loggen::GenerateLog(options), "log.txt", clock);
    }
    struct Row {
        const char* name;
        TClientFacts facts;
    };
    const std::vector<Row> rows = {
        {"spaces, '=' and '%41'", {1234.5, 98765, "rig 1=a%41 b", false}},
        {"CR LF, zero, tab, DEL", {0, 1e-7, std::string("a\r\n\0\t\x7f", 6), true}},
        {"non-ASCII and a lone high byte", {-3, std::nullopt, "G\xC3\xA9rard \xFF", false}},
        {"credit alone", {7.25, std::nullopt, "", false}},
        {"none", {}},
    };
    ASSERT_GE(logs.Count(), static_cast<std::ptrdiff_t>(rows.size()));
    history::THistory history(dir.Path(), clock);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TWU wu = *logs.Items(static_cast<std::ptrdiff_t>(i));
        wu.Client = rows[i].facts;
        ASSERT_EQ(history.Add(wu).Added, 1);
    }
    history.Save();
    history::THistory again(dir.Path(), clock);
    ASSERT_EQ(again.Load().Outcome, history::THistoLoad::Loaded);
    test::ExpectSameUnits(history.WUs(), again.WUs());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_TRUE(again.WUs().Items(static_cast<std::ptrdiff_t>(i))->Client == rows[i].facts);
    }
    // Index lines stay lines: nothing of a name breaks one.
    const std::string text = history.StoredText();
    EXPECT_EQ(text.find("a\r\n"), std::string::npos);
    EXPECT_NE(text.find("machine=rig%201=a%2541%20b"), std::string::npos);
}

TEST(HistoryAttributes, NamesAndValuesThisVersionCannotReadAreSkipped)
{
    const std::string text = std::string(history::FrameMark) +
                             "classic 0 ppd=abc credit=nan later-name=%zz%20 machine=%4\r\n\r\n";
    const auto framed = history::ReadFramedText(text);
    ASSERT_EQ(framed.Outcome, history::TFrame::Framed);
    ASSERT_EQ(framed.Units.size(), 1U);
    EXPECT_EQ(framed.Units[0].Attributes[2].Value, "%zz ");
    test::TFakeClock clock;
    TWUs wus;
    ASSERT_TRUE(history::ReadStoredText(text, wus, clock));
    ASSERT_EQ(wus.Count(), 1);
    EXPECT_TRUE(wus.Items(0)->Client == (TClientFacts{std::nullopt, std::nullopt, "%4", false}));
}

} // namespace
} // namespace korvid
