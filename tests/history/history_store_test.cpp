#include "history/history_store.h"

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

const std::string FirstText = "[10:00:00] Core required: FahCore_78.exe\r\n";
const std::string SecondText = FirstText + "[10:00:01] Project: 2669 (Run 1, Clone 2, Gen 3)\r\n";

class HistoryStoreTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    history::THistoStore store{dir.Path()};
};

TEST_F(HistoryStoreTest, MissingOrSavedFileLoads)
{
    const auto missing = store.LoadHisto();
    EXPECT_EQ(missing.Outcome, history::THistoLoad::Missing);
    EXPECT_EQ(missing.Message, "");
    EXPECT_FALSE(dir.Exists("Korvid.dat"));
    for (const std::string& text : {SecondText, std::string()}) {
        SCOPED_TRACE(text.size());
        store.SaveHisto(text);
        const auto result = store.LoadHisto();
        EXPECT_EQ(result.Outcome, history::THistoLoad::Loaded);
        EXPECT_EQ(result.Text, text);
    }
}

// Which bytes count as damaged is the stream's business (compressed_text_test); the store must
// report the file by name and keep it.
TEST_F(HistoryStoreTest, DamagedFileIsReportedAndKept)
{
    const std::pair<std::string, history::THistoLoad> rows[] = {
        {"not a zlib stream", history::THistoLoad::Damaged},
        {test::Compress(test::Payload(static_cast<std::uint32_t>(history::MaxHistoBytes + 1), "")),
         history::THistoLoad::TooLarge},
    };
    for (const auto& [bytes, outcome] : rows) {
        SCOPED_TRACE(bytes.size());
        dir.Write("Korvid.dat", bytes);
        history::THistoStore fresh(dir.Path());
        const auto result = fresh.LoadHisto();
        EXPECT_EQ(result.Outcome, outcome) << result.Message;
        EXPECT_EQ(result.Text, "");
        EXPECT_NE(result.Message.find(fresh.HistoPath().string()), std::string::npos);
        EXPECT_TRUE(dir.Read("Korvid.dat") == bytes);
        EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"Korvid.dat"});
    }
}

TEST_F(HistoryStoreTest, FolderInPlaceOfTheFileIsDamagedAndSurvivesASave)
{
    dir.Write("Korvid.dat/keep", "inside");
    EXPECT_EQ(store.LoadHisto().Outcome, history::THistoLoad::Damaged);
    EXPECT_THROW(store.SaveHisto(FirstText), util::TError);
    EXPECT_EQ(dir.Read("Korvid.dat/keep"), "inside");
    EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"Korvid.dat"});
}

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

    // The backup is a copy in its own right: the next save leaves it alone.
    const auto second = dir.Read("Korvid.dat");
    store.SaveHisto("");
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), second);
}

TEST_F(HistoryStoreTest, WithBackupsOffTheBackupIsNeverTouched)
{
    store.SetAutoBackup(false);
    store.SaveHisto(FirstText);
    store.SaveHisto(SecondText);
    EXPECT_FALSE(dir.Exists("Korvid.dat.bak"));

    dir.Write("Korvid.dat.bak", "older backup");
    const auto before = std::filesystem::last_write_time(store.BackupPath());
    store.SaveHisto(FirstText);
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), "older backup");
    EXPECT_EQ(std::filesystem::last_write_time(store.BackupPath()), before);
}

TEST_F(HistoryStoreTest, FailedSaveLeavesBothFilesAsTheyWere)
{
    store.SaveHisto(FirstText);
    store.SaveHisto(SecondText);
    const auto dat = dir.Read("Korvid.dat");
    const auto bak = dir.Read("Korvid.dat.bak");
    const test::TUntouchedText huge(history::MaxHistoBytes + 1);
    struct Row {
        const char* name;
        std::function<void()> arrange;
        std::string_view text;
        bool backupTaken;
    };
    const std::vector<Row> rows = {
        {"text over the load limit", [] {}, huge.View(), false},
        {"write fails midway",
         [&] {
             util::TAtomicWriteHooks hooks;
             hooks.AfterChunk = [](std::size_t) { throw util::TError("disk full"); };
             store.SetWriteHooks(hooks);
         },
         FirstText, false},
        {"rename fails after the backup",
         [&] {
             util::TAtomicWriteHooks hooks;
             hooks.BeforeRename = [] { throw util::TError("rename refused"); };
             store.SetWriteHooks(hooks);
         },
         FirstText, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store.SetWriteHooks({});
        row.arrange();
        EXPECT_THROW(store.SaveHisto(row.text), util::TError);
        EXPECT_EQ(dir.Read("Korvid.dat"), dat);
        EXPECT_EQ(test::FileNames(dir.Path()),
                  (std::vector<std::string>{"Korvid.dat", "Korvid.dat.bak"}));
        EXPECT_EQ(dir.Read("Korvid.dat.bak"), row.backupTaken ? dat : bak);
    }
}

TEST_F(HistoryStoreTest, BackupThatCannotBeWrittenStopsTheSave)
{
    store.SaveHisto(FirstText);
    const auto dat = dir.Read("Korvid.dat");
    dir.Write("Korvid.dat.bak/keep", "a folder where the backup goes");
    EXPECT_THROW(store.SaveHisto(SecondText), util::TError);
    EXPECT_EQ(dir.Read("Korvid.dat"), dat);
    EXPECT_EQ(dir.Read("Korvid.dat.bak/keep"), "a folder where the backup goes");
    EXPECT_EQ(test::FileNames(dir.Path()),
              (std::vector<std::string>{"Korvid.dat", "Korvid.dat.bak"}));
}

} // namespace
} // namespace korvid
