#include "workunits/log_files.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {

TEST(ReadFahLogText, PutsThePreviousLogFirstOnlyForFAHlogTxt)
{
    test::TTempDir dir;
    dir.Write("FAHlog-Prev.txt", "old");
    dir.Write("FAHlog.txt", "new");
    dir.Write("other.txt", "other");
    dir.Write("fahlog.txt", "lower");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "FAHlog.txt"), "old\r\nnew");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "other.txt"), "other");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "fahlog.txt"), "lower");
    std::filesystem::remove(dir / "FAHlog-Prev.txt");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "FAHlog.txt"), "new");
}

TEST(ReadFahLogText, ReadsTheRotatedLogsInDateOrderBeforeLogTxt)
{
    test::TTempDir dir;
    std::filesystem::create_directory(dir / "logs");
    dir.Write("logs/log-20200410-000000.txt", "second\n");
    dir.Write("logs/log-20200409-124015.txt", "first"); // no line end of its own
    dir.Write("logs/notes.txt", "not a log");
    dir.Write("log.txt", "now");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "log.txt"), "first\r\nsecond\nnow");
    // A rotated log chosen alone, or log.txt without the folder, is read alone.
    EXPECT_EQ(workunits::ReadFahLogText(dir / "logs/log-20200410-000000.txt"), "second\n");
    std::filesystem::remove_all(dir / "logs");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "log.txt"), "now");
}

TEST(ReadFahLogText, NamesTheFileItCouldNotRead)
{
    test::TTempDir dir;
    test::ExpectErrorNaming([&] { (void)workunits::ReadFahLogText(dir / "FAHlog.txt"); },
                            {"FAHlog.txt"});
    std::filesystem::create_directory(dir / "FAHlog-Prev.txt");
    dir.Write("FAHlog.txt", "new");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "FAHlog.txt"), "new"); // a folder is no previous log
}

TEST(ReadFahLogText, TakesEachRunOfZeroBytesAsOneLineEnd)
{
    using namespace std::string_literals;
    struct Row {
        const char* name;
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"none", "a\r\nb", "a\r\nb"},
        {"a block after a line", "a\r\n"s + std::string(4096, '\0') + "b\r\n", "a\r\n\nb\r\n"},
        {"inside a line", "a\0\0\0b"s, "a\nb"},
        {"several runs, first and last", "\0a\0b\0\0"s, "\na\nb\n"},
        {"only zeros", std::string(3, '\0'), "\n"},
    };
    test::TTempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("log.txt", row.in);
        EXPECT_EQ(workunits::ReadFahLogText(dir / "log.txt"), row.out);
    }
    // Both files of a pair.
    dir.Write("FAHlog-Prev.txt", "old\0"s);
    dir.Write("FAHlog.txt", "\0\0new"s);
    EXPECT_EQ(workunits::ReadFahLogText(dir / "FAHlog.txt"), "old\n\r\n\nnew");
}

} // namespace korvid
