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
        ASSERT_GE(stream.size(), 2u);
        EXPECT_EQ(static_cast<unsigned char>(stream[0]), 0x78);
        EXPECT_EQ(static_cast<unsigned char>(stream[1]), 0xDA);
        const auto payload = test::Payload(static_cast<std::uint32_t>(row.text.size()), row.text);
        EXPECT_EQ(test::Inflate(stream), payload);
        EXPECT_EQ(history::InflateStream(stream), row.text);
    }
}

TEST(InflateStream, ChecksTheAnnouncedLengthAgainstTheDataAndRaisesWhatItRefuses)
{
    const std::string overOld(16'777'217, 'x');
    const std::string zeros(8u << 20, '\0');
    constexpr auto over = static_cast<std::uint32_t>(history::MaxHistoBytes + 1);
    struct Row {
        const char* name;
        std::string stream;
        history::TInflate outcome;
        std::string bytes;
    };
    const std::vector<Row> rows = {
        {"N = 0 and nothing more", test::Compress(test::Payload(0, "")),
         history::TInflate::Inflated, ""},
        {"more than 16 MiB loads", test::Compress(test::Payload(16'777'217, overOld), 1),
         history::TInflate::Inflated, overOld},
        {"zero bytes at deflate's best ratio load", test::Compress(test::Payload(8u << 20, zeros)),
         history::TInflate::Inflated, zeros},
        {"one byte over 1 GiB is TooLarge", test::Compress(test::Payload(over, "")),
         history::TInflate::TooLarge, ""},
        {"N = 2^32 - 1 with no data is TooLarge", test::Compress(test::Payload(0xFFFFFFFF, "")),
         history::TInflate::TooLarge, ""},
        {"1 GiB announced by a stream too short to hold it",
         test::Compress(test::Payload(over - 1, std::string(1000, 'a'))),
         history::TInflate::Damaged, ""},
        {"N announces more than the stream holds", test::Compress(test::Payload(10, "abc")),
         history::TInflate::Damaged, ""},
        {"N announces less than the stream holds", test::Compress(test::Payload(2, "abc")),
         history::TInflate::Damaged, ""},
        {"stream ends inside the length", test::Compress("\x05\x00"), history::TInflate::Damaged,
         ""},
        {"stream of nothing", test::Compress(""), history::TInflate::Damaged, ""},
        {"bytes after the stream are ignored", test::Compress(test::Payload(3, "abc")) + "trailing",
         history::TInflate::Inflated, "abc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = history::TryInflateStream(row.stream);
        EXPECT_EQ(result.Outcome, row.outcome) << result.Error;
        EXPECT_TRUE(result.Bytes == row.bytes);
        if (row.outcome == history::TInflate::Inflated)
            continue;
        EXPECT_NE(result.Error, "");
        test::ExpectErrorNaming([&] { (void)history::InflateStream(row.stream); }, {result.Error});
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
