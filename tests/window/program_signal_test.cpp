// The program itself, stopped by signals as a logout or a shutdown stops it.
#include <csignal>
#include <filesystem>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include "history/history.h"
#include "log_generator.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/wus.h"

namespace korvid {

TEST(ProgramSignals, TermAndIntAfterTheAutoAddKeepTheAddedUnits)
{
    const test::TTempDir dir;
    std::filesystem::copy_file(KORVID_PROGRAM, dir / "Korvid");
    loggen::TLogOptions options;
    options.Dialect = loggen::TDialect::V7;
    options.Units = 3;
    options.UnfinishedLast = false;
    dir.Write("log.txt", loggen::GenerateLog(options));
    dir.Write("Korvid.ini",
              "[General]\nLastFahLog=" + (dir / "log.txt").string() + "\nAutoAddToHisto=1\n");

    QProcess run;
    run.start(QString::fromStdString((dir / "Korvid").string()), {});
    // Bounds for a hung child only; QProcess kills it when the test gives up.
    const QDeadlineTimer deadline(30'000);
    QByteArray said;
    while (!said.contains("Korvid ready\n") &&
           run.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        said += run.readAllStandardOutput();
    ASSERT_TRUE(said.contains("Korvid ready\n")) << run.readAllStandardError().toStdString();
    ASSERT_FALSE(dir.Exists("Korvid.dat")) << "saved before the signal";

    // The second arrives while the first is still being handled.
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    ASSERT_TRUE(run.waitForFinished(static_cast<int>(deadline.remainingTime())));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << "closed, not killed";
    workunits::TWUs saved;
    ASSERT_EQ(history::LoadHistoUnits(dir / "Korvid.dat", saved, test::TFakeClock()).Outcome,
              history::THistoLoad::Loaded);
    EXPECT_EQ(saved.Count(), options.Units);
}

} // namespace korvid
