#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include <QString>
#include <QtGlobal>

#include "util/platform.h"
#include "window/frm_main.h"

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

} // namespace korvid::bench
