#include "history/compressed_text.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/zlib_helpers.h"
#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {
namespace {

std::string UnitText(int run)
{
    return "- FahLog Path: \r\n[10:00:00] Core required: FahCore_78.exe\r\n"
           "[10:00:05] Project: 2669 (Run " +
           std::to_string(run) +
           ", Clone 3, Gen 40)\r\n"
           "[10:05:00] Completed 2500 out of 250000 steps  (1%)\r\n"
           "[10:09:00] Folding@home Core Shutdown: FINISHED_UNIT\r\n";
}

std::string ManyUnits(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += UnitText(i);
    return text;
}

TEST(DeflateStream, WritesLengthAndTextAsOneLevel9ZlibStream)
{
    struct Row {
        const char* name;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"empty history: four zero bytes", ""},
        {"one unit", UnitText(1)},
        {"a zero byte inside", std::string("ab\0cd", 5)},
        {"thousands of units", ManyUnits(5000)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto stream = history::DeflateStream(row.text);
        EXPECT_EQ(stream.substr(0, 2), "\x78\xDA");
        EXPECT_EQ(test::Inflate(stream),
                  test::Payload(static_cast<std::uint32_t>(row.text.size()), row.text));
        EXPECT_EQ(history::InflateStream(stream), row.text);
    }
}

TEST(InflateStream, ChecksTheAnnouncedLengthAgainstTheDataAndRaisesWhatItRefuses)
{
    for (const auto& row : test::CaseTable("history/data/inflate_streams.cases", 7)) {
        SCOPED_TRACE(row[0]);
        std::string data;
        for (int i = std::stoi(row[3]); i > 0; --i)
            data += row[2];
        const std::string payload =
            row[1] == "none" ? data
                             : test::Payload(static_cast<std::uint32_t>(std::stoul(row[1])), data);
        const std::string stream = test::Compress(payload, std::stoi(row[4])) + row[5];
        const auto result = history::TryInflateStream(stream);
        const auto outcome = row[6] == "inflated"    ? history::TInflate::Inflated
                             : row[6] == "too large" ? history::TInflate::TooLarge
                                                     : history::TInflate::Damaged;
        EXPECT_EQ(result.Outcome, outcome) << result.Error;
        if (result.Outcome == history::TInflate::Inflated) {
            EXPECT_TRUE(result.Bytes == data);
            continue;
        }
        EXPECT_EQ(result.Bytes, "");
        EXPECT_NE(result.Error, "");
        test::ExpectErrorNaming([&] { (void)history::InflateStream(stream); }, {result.Error});
    }
}

TEST(InflateStream, NeverReturnsOtherBytesAfterABitFlipOrACut)
{
    const auto text = ManyUnits(10);
    const auto stream = history::DeflateStream(text);
    int refused = 0;
    for (std::size_t bit = 0; bit < stream.size() * 8; ++bit) {
        auto flipped = stream;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        const auto result = history::TryInflateStream(flipped);
        if (result.Outcome == history::TInflate::Inflated)
            EXPECT_TRUE(result.Bytes == text) << "bit " << bit; // padding bits are not read
        else
            ++refused;
    }
    // All but the few padding bits of the last deflate byte must be noticed.
    EXPECT_GE(refused, static_cast<int>(stream.size() * 8) - 8);
    for (std::size_t cut = 0; cut < stream.size(); ++cut)
        EXPECT_EQ(history::TryInflateStream(stream.substr(0, cut)).Outcome,
                  history::TInflate::Damaged)
            << "cut to " << cut;
}

class CompressedTextFileTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    std::filesystem::path file = dir / "Korvid.dat";
};

TEST_F(CompressedTextFileTest, TextOverTheLoadLimitIsRefusedAndNothingWritten)
{
    dir.Write("Korvid.dat", "old bytes");
    const test::TUntouchedText huge(history::MaxHistoBytes + 1);
    test::ExpectErrorNaming([&] { history::SaveCompressedText(huge.View(), file); },
                            {"1073741825 bytes"});
    EXPECT_EQ(dir.Read("Korvid.dat"), "old bytes");
    EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"Korvid.dat"});

    const std::string overOld = ManyUnits(100'000);
    ASSERT_GT(overOld.size(), 16u << 20);
    history::SaveCompressedText(overOld, file);
    EXPECT_TRUE(history::LoadCompressedText(file) == overOld);
}

TEST_F(CompressedTextFileTest, FilesThatCannotBeReadAreNamedInTheError)
{
    struct Row {
        const char* name;
        std::function<void()> make;
        history::THistoLoad outcome;
    };
    const std::vector<Row> rows = {
        {"no file", [] {}, history::THistoLoad::Missing},
        {"empty file", [&] { dir.Write("Korvid.dat", ""); }, history::THistoLoad::Damaged},
        {"a folder", [&] { std::filesystem::create_directory(file); },
         history::THistoLoad::Damaged},
        {"N above the limit",
         [&] {
             dir.Write("Korvid.dat",
                       test::Compress(test::Payload(
                           static_cast<std::uint32_t>(history::MaxHistoBytes + 1), "")));
         },
         history::THistoLoad::TooLarge},
        {"a file larger than any history file",
         [&] {
             dir.Write("Korvid.dat", "");
             std::filesystem::resize_file(file, history::MaxHistoBytes / 16 * 17);
         },
         history::THistoLoad::TooLarge},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(file);
        row.make();
        const auto result = history::ReadCompressedText(file);
        EXPECT_EQ(result.Outcome, row.outcome);
        EXPECT_EQ(result.Text, "");
        test::ExpectErrorNaming([&] { (void)history::LoadCompressedText(file); }, {file.string()});
    }
}

} // namespace
} // namespace korvid
