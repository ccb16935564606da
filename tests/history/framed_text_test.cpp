#include "history/framed_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvid {
namespace {

using history::TFrame;
using history::TStoredUnit;
using history::TUnitKind;

constexpr TUnitKind Classic = TUnitKind::Classic;
constexpr TUnitKind Client = TUnitKind::Client;

TEST(FramedText, IndexThatDoesNotMatchItsBytesIsDamaged)
{
    const std::string head = "ab" + std::string(history::FrameMark);
    const std::vector<TStoredUnit> written = {{Classic, "ab", {}}, {Client, "xyz", {}}};
    struct Row {
        const char* name;
        std::string text;
        TFrame outcome;
    };
    const std::vector<Row> rows = {
        {"as written", head + "classic 2\r\nclient 3\r\n\r\nxyz", TFrame::Framed},
        {"one client byte more", head + "classic 2\r\nclient 3\r\n\r\nxyzw", TFrame::Damaged},
        {"one v5/v6 byte less", head + "classic 1\r\nclient 3\r\n\r\nxyz", TFrame::Damaged},
        {"no empty line after the index", head + "classic 2\r\nclient 3\r\n", TFrame::Damaged},
        {"unknown kind", head + "v9 2\r\nclient 3\r\n\r\nxyz", TFrame::Damaged},
        {"leading zero", head + "classic 02\r\nclient 3\r\n\r\nxyz", TFrame::Damaged},
        {"signed size", head + "classic +2\r\nclient 3\r\n\r\nxyz", TFrame::Damaged},
        {"size past 64 bits", head + "classic 2\r\nclient 18446744073709551619\r\n\r\nxyz",
         TFrame::Damaged},
        {"attribute without a value sign", head + "classic 2 ppd\r\nclient 3\r\n\r\nxyz",
         TFrame::Damaged},
        {"zero byte without the mark", std::string("ab\0cd", 5), TFrame::Plain},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto read = history::ReadFramedText(row.text);
        EXPECT_EQ(read.Outcome, row.outcome);
        EXPECT_EQ(read.Units, row.outcome == TFrame::Framed ? written : std::vector<TStoredUnit>{});
        if (row.outcome == TFrame::Plain) {
            EXPECT_EQ(read.Plain, "ab");
            EXPECT_TRUE(read.Cut);
        }
    }
}

} // namespace
} // namespace korvid
