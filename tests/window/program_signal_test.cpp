// The program itself, stopped by signals as a logout or a shutdown stops it.
#include <csignal>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include "history/compressed_text.h"
#include "log_generator.h"
#include "program_run.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/wus.h"

namespace korvid {

TEST(ProgramSignals, TermAndIntAfterTheAutoAddKeepTheAddedUnits)
{
    const test::TTempDir dir;
    const QString program = test::CopyProgram(dir);
    loggen::TLogOptions options;
    options.Dialect = loggen::TDialect::V7;
    options.Units = 3;
    options.UnfinishedLast = false;
    dir.Write("log.txt", loggen::GenerateLog(options));
    dir.Write("Korvid.ini",
              "[General]\nLastFahLog=" + (dir / "log.txt").string() + "\nAutoAddToHisto=1\n");

    QProcess run;
    run.start(program, {});
    const QDeadlineTimer deadline(test::ProgramBoundMs);
    QByteArray said;
    while (!said.contains("Korvid ready\n") &&
           run.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        said += run.readAllStandardOutput();
    if (!said.contains("Korvid ready\n")) {
        test::Finished(run, QDeadlineTimer(0));
        FAIL() << run.readAllStandardError().toStdString();
    }
    ASSERT_FALSE(dir.Exists("Korvid.dat")) << "saved before the signal";

    // The second arrives while the first is still being handled.
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(test::Finished(run, deadline));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << "closed, not killed";
    workunits::TWUs saved;
    saved.ReadLog(history::ReadCompressedText(dir / "Korvid.dat").Text, {}, test::TFakeClock());
    EXPECT_EQ(saved.Count(), options.Units);
}

} // namespace korvid
