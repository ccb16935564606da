#include "history/history_store.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "testing/zlib_helpers.h"
#include "util/error.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string FirstText = "[10:00:00] Core required: FahCore_78.exe\r\n";
const std::string SecondText = FirstText + "[10:00:01] Project: 2669 (Run 1, Clone 2, Gen 3)\r\n";

class HistoryStoreTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    history::THistoStore store{dir.Path()};

    // Every entry under the folder with its bytes; a folder holds none.
    std::map<std::string, std::string> Entries() const
    {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            entries[fs::relative(entry.path(), dir.Path()).string()] =
                entry.is_directory() ? "" : test::ReadFileForTest(entry.path());
        return entries;
    }
};

TEST_F(HistoryStoreTest, SavingTwiceWithBackupsKeepsTheFirstFileAsBackup)
{
    store.SaveHisto(FirstText);
    EXPECT_FALSE(dir.Exists("Korvid.dat.bak"));
    const auto first = dir.Read("Korvid.dat");
    store.SaveHisto(SecondText);
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), first);
    EXPECT_EQ(history::LoadCompressedText(store.HistoPath()), SecondText);
    EXPECT_EQ(test::FileNames(dir.Path()),
              (std::vector<std::string>{"Korvid.dat", "Korvid.dat.bak"}));
}

TEST_F(HistoryStoreTest, FailedSaveLeavesEveryFileAsItWas)
{
    const test::TUntouchedText huge(history::MaxHistoBytes + 1);
    // Hooks that throw where a full disk or a refused rename would.
    auto hooked = [&](std::function<void()> beforeRename, std::function<void(std::size_t)> chunk) {
        return [&, beforeRename, chunk] { store.SetWriteHooks({beforeRename, chunk}); };
    };
    struct Row {
        const char* name;
        std::function<void()> arrange;
        std::string_view text;
        bool backupTaken;
    };
    const std::vector<Row> rows = {
        {"text over the load limit", [] {}, huge.View(), false},
        {"write fails midway", hooked({}, [](std::size_t) { throw util::TError("disk full"); }),
         FirstText, false},
        {"rename fails after the backup", hooked([] { throw util::TError("rename refused"); }, {}),
         FirstText, true},
        {"a folder where the backup goes",
         [&] {
             fs::remove(dir / "Korvid.dat.bak");
             dir.Write("Korvid.dat.bak/keep", "inside");
         },
         FirstText, false},
        {"a folder in place of Korvid.dat",
         [&] {
             fs::remove(dir / "Korvid.dat");
             dir.Write("Korvid.dat/keep", "inside");
         },
         FirstText, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(dir / "Korvid.dat");
        fs::remove_all(dir / "Korvid.dat.bak");
        store.SetWriteHooks({});
        store.SaveHisto(FirstText);
        store.SaveHisto(SecondText);
        row.arrange();
        auto expected = Entries();
        if (row.backupTaken)
            expected["Korvid.dat.bak"] = expected["Korvid.dat"];
        EXPECT_THROW(store.SaveHisto(row.text), util::TError);
        EXPECT_EQ(Entries(), expected);
    }
}

} // namespace
} // namespace korvid
