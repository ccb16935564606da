#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "testing/fakes.h"
#include "window/window_seams.h"

namespace korvid::test {

// Records every box; questions take their answers from Answers, then no. A notice
// that offers its folder goes to Notices too, and its button is chosen when ChooseFolder is set.
struct TFakeMessageBox final : window::IMessageBox {
    std::vector<std::string> Notices;
    std::vector<std::string> FolderButtons; // one per notice that offered its folder
    bool ChooseFolder = false;
    std::vector<std::string> Questions;
    std::vector<std::string> Errors;
    std::deque<bool> Answers;
    std::function<void()> WhileAsking; // what happens while a question waits

    void Inform(const std::string& text) override { Notices.push_back(text); }
    [[nodiscard]] bool Ask(const std::string& text) override
    {
        Questions.push_back(text);
        if (WhileAsking)
            WhileAsking();
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    [[nodiscard]] bool InformWithFolder(const std::string& text,
                                        const std::string& openLabel) override
    {
        Notices.push_back(text);
        FolderButtons.push_back(openLabel);
        return ChooseFolder;
    }
    [[nodiscard]] std::size_t Count() const
    {
        return Notices.size() + Questions.size() + Errors.size();
    }
};

// A desktop with a tray, which keeps what it was asked to show.
struct TFakeTray final : window::ITray {
    std::vector<std::string> Notices;
    [[nodiscard]] bool Available() const override { return true; }
    void Notify(const std::string& text) override { Notices.push_back(text); }
};

struct TFakeFolderOpener final : window::IFolderOpener {
    std::vector<std::filesystem::path> Opened;
    void OpenFolder(const std::filesystem::path& folder) override { Opened.push_back(folder); }
};

// Hands out the scripted choices in order; none (or nothing left) is a cancelled dialog.
struct TFakeFileDialog final : window::IFileDialog {
    std::deque<std::optional<std::filesystem::path>> Choices;
    std::vector<std::string> Filters; // one per time the dialog opened

    [[nodiscard]] std::optional<std::filesystem::path> ChooseLog(const std::string& filter) override
    {
        Filters.push_back(filter);
        if (Choices.empty())
            return std::nullopt;
        auto choice = Choices.front();
        Choices.pop_front();
        return choice;
    }
};

// Its wait ends only when the test fires it.
struct TFakeTimer final : window::ITimer {
    std::function<void()> Handler;
    std::optional<int> Waiting; // milliseconds of the wait under way

    void OnTimeout(std::function<void()> handler) override { Handler = std::move(handler); }
    void Start(int milliseconds) override { Waiting = milliseconds; }
    void Stop() override { Waiting.reset(); }
    [[nodiscard]] bool IsActive() const override { return Waiting.has_value(); }
    // False when no wait was under way.
    bool Fire()
    {
        if (!Waiting)
            return false;
        Waiting.reset();
        Handler();
        return true;
    }
};

struct TFakeFileWatcher final : window::IFileWatcher {
    std::function<void()> Handler;
    std::vector<std::filesystem::path> Paths;

    void OnChange(std::function<void()> handler) override { Handler = std::move(handler); }
    void Watch(const std::vector<std::filesystem::path>& paths) override { Paths = paths; }
    // A change on disk; nothing is told while nothing is watched.
    void Fire() const
    {
        if (!Paths.empty())
            Handler();
    }
};

struct TFakeCloseRequests final : window::ICloseRequests {
    std::function<bool()> Close; // empty until the window listens
    void Listen(std::function<bool()> close) override { Close = std::move(close); }
};

} // namespace korvid::test
