#include "util/file_io.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {

TEST(ReadFileShared, GivesEveryByteOfFilesOfAnySizeAndTellsMissingFromUnreadable)
{
    const struct {
        const char* name;
        std::size_t size;
    } rows[] = {
        {"empty", 0},
        {"one byte", 1},
        {"one page and a byte", 4097},
        {"one read buffer", 65536},
        {"large enough for huge pages, not a multiple of them", (std::size_t{9} << 20) + 3},
    };
    test::TTempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes(row.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = i % 5 == 0 ? "\0\r\n"[i % 3] : static_cast<char>('a' + (i * 7919) % 26);
        dir.Write("file", bytes);
        const auto read = util::ReadFileShared(dir / "file");
        ASSERT_EQ(read.Outcome, util::TFileRead::Read);
        EXPECT_TRUE(read.Bytes == bytes);
        // A file larger than asked for is refused before it is read.
        if (row.size > 0) {
            EXPECT_EQ(util::ReadFileShared(dir / "file", row.size - 1).Outcome,
                      util::TFileRead::Failed);
        }
        EXPECT_EQ(util::ReadFileShared(dir / "file", row.size).Bytes.size(), row.size);
    }
    EXPECT_EQ(util::ReadFileShared(dir / "none.txt").Outcome, util::TFileRead::Missing);
    std::filesystem::create_directory(dir / "folder");
    const auto folder = util::ReadFileShared(dir / "folder");
    EXPECT_EQ(folder.Outcome, util::TFileRead::Failed);
    EXPECT_NE(folder.Message.find("folder"), std::string::npos);
}

TEST(ReadFileShared, ReadsOnPastTheSizeTheFileAnnounced)
{
    // The kernel's files announce no size at all; a log may grow between fstat and read.
    const auto read = util::ReadFileShared("/proc/self/status");
    ASSERT_EQ(read.Outcome, util::TFileRead::Read);
    EXPECT_TRUE(read.Bytes.starts_with("Name:") && read.Bytes.ends_with("\n")) << read.Bytes;
}

TEST(WriteFileAtomically, ReplacesTheTargetWholeOrNotAtAllAndLeavesNoTemporaryFile)
{
    util::TAtomicWriteHooks failing;
    failing.BeforeRename = [] { throw util::TError("backup failed"); };
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "a step fails" : "all goes well");
        test::TTempDir dir;
        dir.Write("Korvid.dat", "old");
        const auto write = [&] {
            util::WriteFileAtomically(dir / "Korvid.dat", "new bytes",
                                      fails ? failing : util::TAtomicWriteHooks{});
        };
        if (fails)
            EXPECT_THROW(write(), util::TError);
        else
            write();
        EXPECT_EQ(dir.Read("Korvid.dat"), fails ? "old" : "new bytes");
        EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"Korvid.dat"});
    }
    test::ExpectErrorNaming(
        [] { util::WriteFileAtomically(test::TTempDir() / "no-such-folder" / "x.csv", "bytes"); },
        {"x.csv"});
}

} // namespace korvid
