#pragma once

#include <filesystem>

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

#include "testing/temp_dir.h"

// The program itself as a child process, run from a copy in a temporary folder: that folder is
// its program folder.
namespace korvid::test {

// What a start takes on a busy machine under the sanitizers, many times over. Only a hung child
// meets it, and it is then killed: the test neither sleeps nor waits on for nothing.
inline constexpr int ProgramBoundMs = 30'000;

inline QString CopyProgram(const TTempDir& dir)
{
    const std::filesystem::path program = dir / "Korvid";
    std::filesystem::copy_file(KORVID_PROGRAM, program);
    return QString::fromStdString(program.string());
}

// False when the deadline passed first; the child is killed then.
inline bool Finished(QProcess& run, QDeadlineTimer deadline = QDeadlineTimer(ProgramBoundMs))
{
    if (run.waitForFinished(static_cast<int>(deadline.remainingTime())))
        return true;
    run.kill();
    run.waitForFinished();
    return false;
}

} // namespace korvid::test
