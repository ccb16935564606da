// The program itself, started with --screenshot as a script or a test run would.
#include <filesystem>
#include <string>
#include <tuple>

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "testing/temp_dir.h"

namespace korvid {

TEST(Screenshot, WritesTheWindowAndTellsByItsExitStatus)
{
    const test::TTempDir dir;
    // A copy of the program: its own folder is its program folder.
    const std::filesystem::path program = dir / "Korvid";
    std::filesystem::copy_file(KORVID_PROGRAM, program);
    dir.Write("FAHlog.txt", Log({A, B}));
    dir.Write("Korvid.ini", "[General]\nLastFahLog=" + (dir / "FAHlog.txt").string() + "\n");
    std::filesystem::create_directory(dir / "folder.png");

    // What a run is given, and the exit status it must give.
    const std::tuple<const char*, QStringList, int> rows[] = {
        {"no file after the option", {QStringLiteral("--screenshot")}, 2},
        {"an option it does not know", {QStringLiteral("--quiet")}, 2},
        {"a folder where the file should go",
         {QStringLiteral("--screenshot"), QString::fromStdString((dir / "folder.png").string())},
         1},
        {"a file it can write",
         {QStringLiteral("--screenshot"), QString::fromStdString((dir / "shot.png").string())},
         0},
    };
    for (const auto& [name, arguments, status] : rows) {
        SCOPED_TRACE(name);
        QProcess run;
        run.start(QString::fromStdString(program.string()), arguments);
        // A run takes a second; only a hung one meets the bound, and QProcess kills it.
        ASSERT_TRUE(run.waitForFinished(30'000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), status) << run.readAllStandardError().toStdString();
    }
    ASSERT_TRUE(dir.Exists("shot.png"));
    EXPECT_EQ(dir.Read("shot.png").substr(0, 8), "\x89PNG\r\n\x1A\n");
    // It started as usual: the log's complete units went into the history, saved at the end.
    EXPECT_TRUE(dir.Exists("Korvid.dat"));
}

} // namespace korvid
