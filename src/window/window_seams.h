#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace korvid::window {

// The boxes the window puts in front of the user, captioned with the application's title.
// Texts are UTF-8.
struct IMessageBox {
    virtual ~IMessageBox() = default;
    // A plain notice with an OK button.
    virtual void Inform(const std::string& text) = 0;
    // Yes and No, with the question icon; true for Yes.
    [[nodiscard]] virtual bool Ask(const std::string& text) = 0;
    // What ended a command.
    virtual void ShowError(const std::string& text) = 0;
};

// The file-open dialog for a log.
struct IFileDialog {
    virtual ~IFileDialog() = default;
    // The chosen file, or none when the user cancels. The filter alternates names and patterns,
    // separated by "|": "Logs (Fahlog*.txt)|Fahlog*.txt|All (*.*)|*.*".
    [[nodiscard]] virtual std::optional<std::filesystem::path>
    ChooseLog(const std::string& filter) = 0;
};

} // namespace korvid::window
