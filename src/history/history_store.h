#pragma once

#include <filesystem>
#include <string_view>
#include <utility>

#include "history/compressed_text.h"
#include "util/file_io.h"
#include "util/platform.h"

namespace korvid::history {

// Korvid.dat and its backup Korvid.dat.bak in the program folder. The store only moves text;
// THistory reads it into units and says what may be saved.
class THistoStore {
public:
    explicit THistoStore(const util::IProgramFolder& programFolder);
    explicit THistoStore(const std::filesystem::path& programFolder);

    [[nodiscard]] const std::filesystem::path& HistoPath() const { return m_histoPath; }
    [[nodiscard]] const std::filesystem::path& BackupPath() const { return m_backupPath; }

    // "AutoBackupHisto": every save first keeps the file it replaces as Korvid.dat.bak.
    void SetAutoBackup(bool on) { m_autoBackup = on; }
    [[nodiscard]] bool AutoBackup() const { return m_autoBackup; }

    // Writes the text as Korvid.dat, atomically; with AutoBackup the old file becomes
    // Korvid.dat.bak before the new one takes its name. Throws util::TError naming the file on
    // any failure (a text over MaxHistoBytes, the compressor, the backup, the write), and then
    // Korvid.dat and Korvid.dat.bak are as they were.
    void SaveHisto(std::string_view text);

    // Tests: AfterChunk runs while Korvid.dat's temporary file is written, BeforeRename after
    // the backup, just before the new file takes the name.
    void SetWriteHooks(util::TAtomicWriteHooks hooks) { m_hooks = std::move(hooks); }

private:
    std::filesystem::path m_histoPath;
    std::filesystem::path m_backupPath;
    bool m_autoBackup = true;
    util::TAtomicWriteHooks m_hooks;
};

// Gives `to` the bytes `from` has now, atomically; nothing happens when `from` does not exist.
// Throws util::TError naming the files. Relies on `from` never being rewritten in place.
void BackUpFile(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace korvid::history
