#include "workunits/log_files.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "util/error.h"

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

TEST(ReadFahLogText, NamesTheFileItCouldNotRead)
{
    test::TTempDir dir;
    try {
        (void)workunits::ReadFahLogText(dir / "FAHlog.txt");
        ADD_FAILURE() << "a missing log was read";
    } catch (const util::TError& error) {
        EXPECT_NE(std::string(error.what()).find("FAHlog.txt"), std::string::npos);
    }
    std::filesystem::create_directory(dir / "FAHlog-Prev.txt");
    dir.Write("FAHlog.txt", "new");
    EXPECT_EQ(workunits::ReadFahLogText(dir / "FAHlog.txt"), "new"); // a folder is no previous log
}

} // namespace korvid
