#include <gtest/gtest.h>

#include "history/history.h"
#include "log_generator.h"
#include "testing/fakes.h"

namespace korvid {
namespace {

TEST(HistoryAttributes, ClientFactsRoundTripWhateverTheMachineIsCalledAndUnknownOnesAreSkipped)
{
    test::TFakeClock clock;
    workunits::TWUs logged, stored, again;
    logged.ReadLog(loggen::GenerateLog({}), "FAHlog.txt", clock);
    workunits::TWU wu = *logged.Items(0);
    // Spaces, '=', an escape written out, CR LF, a zero byte, DEL, UTF-8 and a lone high byte.
    wu.Client = {1234.5, 1e-7, std::string("rig 1=a%41\r\n\0\x7f G\xC3\xA9 \xFF", 20), true};
    stored.AddCopy(wu);
    std::string text = history::StoredTextOf(stored);
    text.insert(text.find(" credit="), " later-name=%zz ppd=abc"); // a later version's
    ASSERT_TRUE(history::ReadStoredText(text, again, clock));
    EXPECT_EQ(again.Items(0)->Text, wu.Text);
    EXPECT_TRUE(again.Items(0)->Client == wu.Client) << text;
    // Units without facts are stored as earlier versions stored them.
    EXPECT_EQ(history::StoredTextOf(logged), logged.AllText());
}

} // namespace
} // namespace korvid
