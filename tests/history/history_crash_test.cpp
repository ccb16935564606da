#include "history/history_store.h"

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

// Lines of arbitrary non-zero bytes: deflate cannot shrink them, so the file is written in many
// chunks and the kill lands at many byte counts.
std::string NoisyText(std::size_t bytes, std::uint32_t seed)
{
    std::string text;
    text.reserve(bytes);
    std::uint32_t state = seed;
    while (text.size() < bytes) {
        state = state * 1664525u + 1013904223u;
        const auto c = static_cast<char>(1 + (state >> 24) % 255);
        if (c == '\r' || c == '\n' || text.size() % 100 == 98)
            text += "\r\n";
        else
            text += c;
    }
    return text;
}

enum class TKill { AfterChunk, AfterBackup, Never };

class HistorySaveCrashTest : public ::testing::TestWithParam<bool> {
protected:
    test::TTempDir dir;
    const std::string oldText = NoisyText(300'000, 1);
    const std::string newText = NoisyText(8'000'000, 2);
    std::string oldFile;
    std::string oldBackup;

    void SetUp() override
    {
        history::THistoStore store(dir.Path());
        store.SaveHisto(NoisyText(1000, 3));
        store.SaveHisto(oldText);
        oldFile = dir.Read("Korvid.dat");
        oldBackup = dir.Read("Korvid.dat.bak");
    }

    // A child process saves newText and kills itself at the given point; returns how it ended.
    int SaveInChild(TKill kill, std::size_t chunk)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            history::THistoStore store(dir.Path());
            store.SetAutoBackup(GetParam());
            util::TAtomicWriteHooks hooks;
            std::size_t chunks = 0;
            hooks.AfterChunk = [&](std::size_t) {
                if (kill == TKill::AfterChunk && ++chunks == chunk)
                    ::kill(::getpid(), SIGKILL);
            };
            hooks.BeforeRename = [&] {
                if (kill == TKill::AfterBackup)
                    ::kill(::getpid(), SIGKILL);
            };
            store.SetWriteHooks(hooks);
            try {
                store.SaveHisto(newText);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        return status;
    }

    // Puts the files back as they were before the killed save, without its leftovers.
    void Restore()
    {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            std::filesystem::remove(entry.path());
        dir.Write("Korvid.dat", oldFile);
        dir.Write("Korvid.dat.bak", oldBackup);
    }
};

TEST_P(HistorySaveCrashTest, KorvidDatIsAlwaysTheOldOrTheNewFileAndLoads)
{
    const bool backups = GetParam();
    const std::size_t chunks = (history::DeflateStream(newText).size() + (1u << 20) - 1) >> 20;
    ASSERT_GE(chunks, 5u);
    for (std::size_t chunk = 1; chunk <= chunks + 2; ++chunk) {
        const auto kill = chunk <= chunks       ? TKill::AfterChunk
                          : chunk == chunks + 1 ? TKill::AfterBackup
                                                : TKill::Never;
        SCOPED_TRACE(chunk);
        const int status = SaveInChild(kill, chunk);
        if (kill == TKill::Never)
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        else
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        const auto loaded = history::ReadCompressedText(dir / "Korvid.dat");
        ASSERT_EQ(loaded.Outcome, history::THistoLoad::Loaded) << loaded.Message;
        // Killed, the file is the old one byte for byte, not merely a file holding the old text.
        EXPECT_TRUE(loaded.Text == (kill == TKill::Never ? newText : oldText));
        EXPECT_TRUE(kill == TKill::Never || dir.Read("Korvid.dat") == oldFile);
        const bool backupTaken = backups && kill != TKill::AfterChunk;
        EXPECT_TRUE(dir.Read("Korvid.dat.bak") == (backupTaken ? oldFile : oldBackup));
        Restore();
    }
}

INSTANTIATE_TEST_SUITE_P(Backups, HistorySaveCrashTest, ::testing::Bool(),
                         [](const auto& backups) { return backups.param ? "On" : "Off"; });

} // namespace
} // namespace korvid
