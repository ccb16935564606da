#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
    // A notice with a second button besides OK, labelled openLabel; true when the user chose it.
    [[nodiscard]] virtual bool InformWithFolder(const std::string& text,
                                                const std::string& openLabel) = 0;
};

// Shows a folder in the desktop's file manager.
struct IFolderOpener {
    virtual ~IFolderOpener() = default;
    virtual void OpenFolder(const std::filesystem::path& folder) = 0;
};

// The file-open dialog for a log.
struct IFileDialog {
    virtual ~IFileDialog() = default;
    // The chosen file, or none when the user cancels. The filter alternates names and patterns,
    // separated by "|": "Logs (Fahlog*.txt)|Fahlog*.txt|All (*.*)|*.*".
    [[nodiscard]] virtual std::optional<std::filesystem::path>
    ChooseLog(const std::string& filter) = 0;
};

// A single-shot timer on the event loop.
struct ITimer {
    virtual ~ITimer() = default;
    virtual void OnTimeout(std::function<void()> handler) = 0;
    // Starting again while active starts the wait over.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsActive() const = 0;
};

// Tells when a watched file or folder changes on disk.
struct IFileWatcher {
    virtual ~IFileWatcher() = default;
    virtual void OnChange(std::function<void()> handler) = 0;
    // These paths instead of those watched before; none stops watching.
    virtual void Watch(const std::vector<std::filesystem::path>& paths) = 0;
};

// The desktop's notification area, where a minimised window can still reach the user.
struct ITray {
    virtual ~ITray() = default;
    // False when the desktop has none.
    [[nodiscard]] virtual bool Available() const = 0;
    virtual void Notify(const std::string& text) = 0;
};

// Asks from outside to close the window as the user would: a termination signal, the end of the
// desktop session.
struct ICloseRequests {
    virtual ~ICloseRequests() = default;
    // From now on each request calls close on the event loop; close answers whether the window
    // closed. Requests made before wait for this call.
    virtual void Listen(std::function<bool()> close) = 0;
};

} // namespace korvid::window
