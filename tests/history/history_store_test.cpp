#include "history/history_store.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "zlib_helpers.h"
#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {
namespace {

std::set<std::string> FileNames(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

const std::string FirstText = "[10:00:00] Core required: FahCore_78.exe\r\n";
const std::string SecondText = FirstText + "[10:00:01] Project: 2669 (Run 1, Clone 2, Gen 3)\r\n";

class HistoryStoreTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    history::THistoStore store{dir.Path()};
};

TEST_F(HistoryStoreTest, SaveThenLoadGivesTheSameText)
{
    for (const std::string& text : {SecondText, std::string()}) {
        SCOPED_TRACE(text.size());
        store.SaveHisto(text);
        const auto result = store.LoadHisto();
        EXPECT_EQ(result.Outcome, history::THistoLoad::Loaded);
        EXPECT_EQ(result.Text, text);
        EXPECT_TRUE(store.MayAutoSave());
    }
    // The empty history is its four zero bytes of length.
    EXPECT_EQ(test::Uncompress(dir.Read("Korvid.dat"), 64), std::string(4, '\0'));
}

TEST_F(HistoryStoreTest, MissingFileIsNoErrorAndAllowsAutoSave)
{
    const auto result = store.LoadHisto();
    EXPECT_EQ(result.Outcome, history::THistoLoad::Missing);
    EXPECT_EQ(result.Message, "");
    EXPECT_TRUE(store.MayAutoSave());
    EXPECT_FALSE(dir.Exists("Korvid.dat"));
}

TEST_F(HistoryStoreTest, DamagedFileIsReportedAndNotAutoSavedOver)
{
    using enum history::THistoLoad;
    const auto good = history::DeflateStream(SecondText);
    struct Row {
        std::string name;
        std::string bytes;
        std::set<history::THistoLoad> outcomes;
    };
    std::vector<Row> rows = {
        {"not a zlib stream", "not a zlib stream", {Damaged}},
        {"a gzip stream", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8), {Damaged}},
        {"empty file", "", {Damaged}},
        {"wrong N", test::Compress(test::Payload(500, SecondText)), {Damaged}},
        {"N one above the limit",
         test::Compress(
             test::Payload(static_cast<std::uint32_t>(history::MaxHistoBytes + 1), SecondText)),
         {TooLarge}},
    };
    rows.push_back({"truncated", good.substr(0, good.size() - 3), {Damaged}});
    // The byte before the Adler-32 may hold padding bits that inflate never reads.
    for (std::size_t byte = 0; byte < good.size(); ++byte) {
        if (byte + 5 == good.size())
            continue;
        auto flipped = good;
        flipped[byte] = static_cast<char>(flipped[byte] ^ 0x10);
        rows.push_back(
            {"bit flipped in byte " + std::to_string(byte), flipped, {Damaged, TooLarge}});
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("Korvid.dat", row.bytes);
        history::THistoStore fresh(dir.Path());
        const auto result = fresh.LoadHisto();
        EXPECT_TRUE(row.outcomes.contains(result.Outcome)) << result.Message;
        EXPECT_EQ(result.Text, "");
        EXPECT_NE(result.Message.find(fresh.HistoPath().string()), std::string::npos);
        EXPECT_FALSE(fresh.MayAutoSave());
        EXPECT_TRUE(dir.Read("Korvid.dat") == row.bytes);
        EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"Korvid.dat"});
    }
}

TEST_F(HistoryStoreTest, FolderInPlaceOfTheFileIsDamagedAndSurvivesASave)
{
    dir.Write("Korvid.dat/keep", "inside");
    EXPECT_EQ(store.LoadHisto().Outcome, history::THistoLoad::Damaged);
    EXPECT_FALSE(store.MayAutoSave());
    EXPECT_THROW(store.SaveHisto(FirstText), util::TError);
    EXPECT_EQ(dir.Read("Korvid.dat/keep"), "inside");
    EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"Korvid.dat"});
}

TEST_F(HistoryStoreTest, ExplicitSaveKeepsTheDamagedFileAsBackup)
{
    dir.Write("Korvid.dat", "damaged");
    EXPECT_EQ(store.LoadHisto().Outcome, history::THistoLoad::Damaged);
    store.SaveHisto(FirstText);
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), "damaged");
    EXPECT_EQ(store.LoadHisto().Text, FirstText);
    // The damaged bytes now live only in the backup: the run still must not save by itself.
    EXPECT_FALSE(store.MayAutoSave());
}

TEST_F(HistoryStoreTest, ZeroByteCutsTheTextAndIsReportedAndStopsAutoSave)
{
    store.SaveHisto(FirstText + std::string(1, '\0') + SecondText);
    const auto result = store.LoadHisto();
    EXPECT_EQ(result.Outcome, history::THistoLoad::Loaded);
    EXPECT_EQ(result.Text, FirstText);
    EXPECT_NE(result.Message.find(store.HistoPath().string()), std::string::npos);
    EXPECT_FALSE(store.MayAutoSave());
    EXPECT_EQ(history::LoadCompressedText(store.HistoPath()), FirstText);
}

TEST_F(HistoryStoreTest, SavingTwiceWithBackupsKeepsTheFirstFileAsBackup)
{
    store.SaveHisto(FirstText);
    EXPECT_FALSE(dir.Exists("Korvid.dat.bak"));
    const auto first = dir.Read("Korvid.dat");
    store.SaveHisto(SecondText);
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), first);
    EXPECT_EQ(history::LoadCompressedText(store.HistoPath()), SecondText);
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Korvid.dat", "Korvid.dat.bak"}));

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
        EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Korvid.dat", "Korvid.dat.bak"}));
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
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Korvid.dat", "Korvid.dat.bak"}));
}

TEST(BackUpFile, CopiesTheBytesAndIgnoresAMissingSource)
{
    test::TTempDir dir;
    history::BackUpFile(dir / "absent", dir / "copy");
    EXPECT_FALSE(dir.Exists("copy"));
    dir.Write("source", "bytes");
    dir.Write("copy", "older");
    history::BackUpFile(dir / "source", dir / "copy");
    EXPECT_EQ(dir.Read("copy"), "bytes");
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"copy", "source"}));
}

} // namespace
} // namespace korvid
