#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <QString>
#include <QtGlobal>

#include "util/platform.h"
#include "window/frm_main.h"
#include "window/qt_platform.h"

namespace korvid::bench {

struct TFixedFolder final : util::IProgramFolder {
    std::filesystem::path Folder;
    [[nodiscard]] std::filesystem::path Path() const override { return Folder; }
};

// Nobody answers during a benchmark.
struct TSilentBoxes final : window::IMessageBox {
    int Shown = 0;
    void Inform(const std::string&) override { ++Shown; }
    [[nodiscard]] bool Ask(const std::string&) override { return false; }
    void ShowError(const std::string& text) override
    {
        std::fprintf(stderr, "error: %s\n", text.c_str());
        ++Shown;
    }
    [[nodiscard]] bool InformWithFolder(const std::string&, const std::string&) override
    {
        ++Shown;
        return false;
    }
};

struct TNoDialog final : window::IFileDialog {
    [[nodiscard]] std::optional<std::filesystem::path> ChooseLog(const std::string&) override
    {
        return std::nullopt;
    }
};

struct TNoFolderOpener final : window::IFolderOpener {
    void OpenFolder(const std::filesystem::path&) override {}
};

// The offscreen platform's complaint about window features it lacks says nothing of ours.
inline void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// The real window's seams, with nobody to answer, in a temporary folder of its own (two runs at
// once must not remove each other's files), removed at the end unless KORVID_BENCH_KEEP is set.
class TBenchWindow {
public:
    explicit TBenchWindow(const char* name)
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::fprintf(stderr, "%s: cannot make a temporary folder\n", name);
            std::exit(1);
        }
        m_folder.Folder = pattern;
    }
    ~TBenchWindow()
    {
        if (std::getenv("KORVID_BENCH_KEEP") == nullptr) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder.Folder, ignored);
        }
    }
    TBenchWindow(const TBenchWindow&) = delete;
    TBenchWindow& operator=(const TBenchWindow&) = delete;

    [[nodiscard]] const std::filesystem::path& Folder() const { return m_folder.Folder; }
    [[nodiscard]] const window::TQtClock& Clock() const { return m_clock; }
    [[nodiscard]] window::TWindowSeams Seams()
    {
        return {m_clock, m_regional, m_folder, m_boxes, m_dialog, m_opener, "Korvid"};
    }

private:
    window::TQtClock m_clock;
    const window::TQtRegionalSettings m_regional;
    TFixedFolder m_folder;
    TSilentBoxes m_boxes;
    TNoDialog m_dialog;
    TNoFolderOpener m_opener;
};

} // namespace korvid::bench
