#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/date_time.h"
#include "util/platform.h"
#include "window/window_seams.h"

namespace korvid::test {

// Records every box; questions take their answers from Answers, then DefaultAnswer. A notice
// that offers its folder goes to Notices too, and its button is chosen when ChooseFolder is set.
struct TFakeMessageBox final : window::IMessageBox {
    std::vector<std::string> Notices;
    std::vector<std::string> FolderButtons; // one per notice that offered its folder
    bool ChooseFolder = false;
    std::vector<std::string> Questions;
    std::vector<std::string> Errors;
    std::deque<bool> Answers;
    bool DefaultAnswer = false;
    std::function<void()> WhileAsking; // what happens while a question waits

    void Inform(const std::string& text) override { Notices.push_back(text); }
    [[nodiscard]] bool Ask(const std::string& text) override
    {
        Questions.push_back(text);
        if (WhileAsking)
            WhileAsking();
        if (Answers.empty())
            return DefaultAnswer;
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

// dd/mm/yyyy and hh:nn, a decimal comma; or, with MonthNames, "4 March 2026", which no short
// date conversion reads back.
struct TFakeRegionalSettings final : util::IRegionalSettings {
    bool MonthNames = false;

    [[nodiscard]] std::string FormatShortDate(double dateTime) const override
    {
        const util::TDate d = util::DecodeDate(dateTime);
        if (MonthNames) {
            static const char* names[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
            return std::to_string(d.Day) + " " + names[d.Month - 1] + " " + std::to_string(d.Year);
        }
        return Two(d.Day) + "/" + Two(d.Month) + "/" + std::to_string(d.Year);
    }
    [[nodiscard]] std::string FormatShortTime(double dateTime) const override
    {
        const util::TTimeOfDay t = util::DecodeTime(dateTime);
        return Two(t.Hour) + ":" + Two(t.Minute);
    }
    [[nodiscard]] char DecimalSeparator() const override { return ','; }
    [[nodiscard]] char ListSeparator() const override { return ';'; }

private:
    static std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
};

struct TFakeProgramFolder final : util::IProgramFolder {
    std::filesystem::path Folder;
    [[nodiscard]] std::filesystem::path Path() const override { return Folder; }
};

} // namespace korvid::test
