#include "window/korvid_app.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>
#include <optional>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBuffer>
#include <QPixmap>

#include "util/error.h"
#include "util/file_io.h"
#include "window/frm_main.h"
#include "window/qt_event_sources.h"
#include "window/qt_platform.h"

namespace korvid::window {
namespace {

// The application's title: the caption of its message boxes.
constexpr const char* AppTitle = "Korvid";

// A screenshot run has nobody to answer: boxes go to the error stream, questions get No and
// the file dialog is cancelled, so nothing waits for a click.
struct TUnattendedMessageBox final : IMessageBox {
    void Inform(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    [[nodiscard]] bool Ask(const std::string& text) override
    {
        std::fprintf(stderr, "%s No\n", text.c_str());
        return false;
    }
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    [[nodiscard]] bool InformWithFolder(const std::string& text, const std::string&) override
    {
        Inform(text);
        return false;
    }
};

struct TUnattendedFileDialog final : IFileDialog {
    [[nodiscard]] std::optional<std::filesystem::path> ChooseLog(const std::string&) override
    {
        return std::nullopt;
    }
};

// Installed, the user's folders are made at the first start; a failure shows when a file is
// written there.
util::TFileLocationsFolder ProgramFiles()
{
    util::TFileLocations locations = util::ChooseFileLocations(
        util::InspectProgramPlace(TExecutableFolder().Path(), ExecutableBaseName()), util::GetEnv);
    if (locations.PerUser) {
        std::error_code ec;
        std::filesystem::create_directories(locations.Settings.parent_path(), ec);
        std::filesystem::create_directories(locations.Data, ec);
    }
    return util::TFileLocationsFolder(std::move(locations));
}

void WriteScreenshot(QWidget& window, const QString& file)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!window.grab().save(&buffer, "PNG"))
        throw util::TError(
            util::CannotWrite(util::FileCause(ToPath(file), "the window could not be encoded")));
    util::WriteFileAtomically(
        ToPath(file), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Once, for whoever started the program, the first time it waits for the user or for events:
// its start is done up to the notice it may show, and a signal now closes it as the user would.
void SayReadyAtFirstWait()
{
    auto said = std::make_shared<QMetaObject::Connection>();
    *said = QObject::connect(QAbstractEventDispatcher::instance(),
                             &QAbstractEventDispatcher::aboutToBlock, [said] {
                                 std::printf("Korvid ready\n");
                                 std::fflush(stdout);
                                 QObject::disconnect(*said);
                             });
}

} // namespace

int RunKorvid(int& argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(AppTitle));

    // Qt has taken its own options out already.
    const QStringList arguments = QCoreApplication::arguments();
    std::optional<QString> screenshot;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size() &&
            !screenshot) {
            screenshot = arguments[++i];
            continue;
        }
        std::fprintf(stderr, "usage: %s [--screenshot FILE]\n", argv[0]);
        return 2;
    }

    TQtClock clock;
    TQtRegionalSettings regional;
    const util::TFileLocationsFolder folder = ProgramFiles();
    TQtMessageBox messages(QString::fromLatin1(AppTitle));
    TQtFileDialog dialog;
    TQtFolderOpener folderOpener;
    TUnattendedMessageBox unattendedMessages;
    TUnattendedFileDialog unattendedDialog;
    IMessageBox& boxes = screenshot ? static_cast<IMessageBox&>(unattendedMessages) : messages;
    IFileDialog& chooser = screenshot ? static_cast<IFileDialog&>(unattendedDialog) : dialog;
    TQtCloseRequests closeRequests;
    TWindowSeams seams{
        clock, regional, folder, boxes, chooser, folderOpener, folder.Locations().BaseName};
    seams.CloseRequests = &closeRequests;
    // A picture of the window is no first start.
    if (!screenshot)
        seams.LocalClient = livenet::TClientAddress{"127.0.0.1", livenet::DefaultClientPort};
    TfrmMain window(seams);
    messages.SetParent(&window);
    dialog.SetParent(&window);
    if (!screenshot)
        SayReadyAtFirstWait();
    window.FormCreate();
    if (!screenshot) {
        // A request to close may have come while it started.
        if (window.isHidden())
            return 0;
        return QApplication::exec();
    }

    QCoreApplication::processEvents();
    int status = 0;
    try {
        WriteScreenshot(window, *screenshot);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    window.close();
    return status;
}

} // namespace korvid::window
