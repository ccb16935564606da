#include "history/framed_text.h"

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

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
    for (const auto& row : test::CaseTable("history/data/frame_index.cases", 3)) {
        SCOPED_TRACE(row[0]);
        const std::string text = head + row[1]; // the units read are views into it
        const auto read = history::ReadFramedText(text);
        const TFrame outcome = row[2] == "framed" ? TFrame::Framed : TFrame::Damaged;
        EXPECT_EQ(read.Outcome, outcome);
        EXPECT_EQ(read.Units, outcome == TFrame::Framed ? written : std::vector<TStoredUnit>{});
    }
    const std::string unmarked("ab\0cd", 5);
    const auto plain = history::ReadFramedText(unmarked);
    EXPECT_EQ(std::tie(plain.Outcome, plain.Plain, plain.Cut),
              std::tuple(TFrame::Plain, std::string_view("ab"), true));
}

} // namespace
} // namespace korvid
