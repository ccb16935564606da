#include <gtest/gtest.h>

#include "history/history.h"
#include "log_generator.h"
#include "testing/fakes.h"

namespace korvid {
namespace {

TEST(HistoryAttributes, ClientFactsRoundTripWhateverTheMachineIsCalledAndUnknownOnesAreSkipped)
{
    test::TFakeClock clock;
    workunits::TWUs logged;
    logged.ReadLog(loggen::GenerateLog({}), "FAHlog.txt", clock);
    for (const workunits::TClientFacts& facts :
         {workunits::TClientFacts{1234.5, 98765, "rig 1=a%41 b", false}, // '=', an escape
          workunits::TClientFacts{0, 1e-7, std::string("a\r\n\0\t\x7f", 6), true},
          workunits::TClientFacts{-3, std::nullopt, "G\xC3\xA9rard \xFF", false}}) {
        workunits::TWU wu = *logged.Items(0);
        wu.Client = facts;
        workunits::TWUs stored, again;
        stored.AddCopy(wu);
        std::string text = history::StoredTextOf(stored);
        // A later version's names and values: skipped.
        text.insert(text.find(" credit="), " later-name=%zz ppd=abc");
        ASSERT_TRUE(history::ReadStoredText(text, again, clock));
        EXPECT_EQ(again.Items(0)->Text, wu.Text);
        EXPECT_TRUE(again.Items(0)->Client == facts) << text;
    }
}

} // namespace
} // namespace korvid
