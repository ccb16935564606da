#include "livenet/client_address.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

TEST(ClientListTest, ReadsEntriesSeparatorsNamesAndKeepsWhatNamesNoClient)
{
    for (const auto& row : test::CaseTable("livenet/data/client_lists.cases", 3)) {
        std::string entries;
        for (const livenet::TClientEntry& entry : livenet::ParseClientList(row[1]))
            entries += (entries.empty() ? "{" : " / {") + entry.Text + "} -> " +
                       (entry.Address ? entry.Address->Text() : "none") +
                       (entry.Name.empty() ? "" : ", " + entry.Name);
        EXPECT_EQ(entries, row[2]) << row[0];
    }
}

} // namespace
} // namespace korvid
