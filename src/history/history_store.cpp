#include "history/history_store.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "util/error.h"

namespace korvid::history {
namespace {

// Only where hard links are missing is the backup a real copy; no history file is near this.
constexpr std::size_t MaxBackupCopyBytes = 256u << 20;

} // namespace

THistoStore::THistoStore(const util::IProgramFolder& programFolder)
    : THistoStore(programFolder.Path())
{
}

THistoStore::THistoStore(const std::filesystem::path& programFolder)
    : m_histoPath(programFolder / "Korvid.dat"), m_backupPath(programFolder / "Korvid.dat.bak")
{
}

void THistoStore::SaveHisto(std::string_view text)
{
    util::TAtomicWriteHooks hooks;
    hooks.AfterChunk = m_hooks.AfterChunk;
    hooks.BeforeRename = [this] {
        if (m_autoBackup)
            BackUpFile(m_histoPath, m_backupPath);
        if (m_hooks.BeforeRename)
            m_hooks.BeforeRename();
    };
    SaveCompressedText(text, m_histoPath, hooks);
}

void BackUpFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const auto folder = to.parent_path().empty() ? std::filesystem::path(".") : to.parent_path();
    // Saves never write into a file but rename a new one over it, so a second name for the old
    // file is a byte-for-byte copy that costs nothing and cannot be left half written; the
    // rename then swaps it in whole.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto temp = folder / ("." + to.filename().string() + "." +
                                    std::to_string(::getpid()) + "-" + std::to_string(attempt));
        if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            if (::rename(temp.c_str(), to.c_str()) == 0)
                return;
            const int error = errno;
            ::unlink(temp.c_str());
            throw util::TError(util::CannotWrite(util::FileCause(to, error)));
        }
        if (errno == EEXIST)
            continue;
        std::error_code ec;
        if (errno == ENOENT && !std::filesystem::exists(from, ec))
            return;
        break;
    }
    // No hard links here (or no free name): copy the bytes instead.
    auto old = util::ReadFileShared(from, MaxBackupCopyBytes);
    switch (old.Outcome) {
    case util::TFileRead::Read:
        break;
    case util::TFileRead::Missing:
        return;
    case util::TFileRead::Failed:
        throw util::TError(util::CannotWrite(util::FileCause(to, "cannot copy " + old.Message)));
    }
    util::WriteFileAtomically(to, old.Bytes);
}

} // namespace korvid::history
