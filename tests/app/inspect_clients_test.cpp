#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <QProcess>
#include <QTcpServer>

namespace korvid {
namespace {

// The bound only keeps a broken build from hanging the suite; nothing waits for it to pass.
constexpr int BoundMs = 60'000;

TEST(InspectClients, PrintsTheUnitsOfEveryClientReachedAndNamesTheOneThatIsNot)
{
    QProcess simulators[3]; // each killed with its QProcess
    QStringList addresses;
    for (int i = 0; i < 3; ++i) {
        const QString seed = QString::number(i + 1);
        // Warmed up, the simulated units run with frames in the log from the first message on.
        simulators[i].start(KORVID_CLIENTSIM,
                            {"--name", "rig" + seed, "--seed", seed, "--warm-up", "400"});
        simulators[i].waitForReadyRead(BoundMs); // the port comes in one write
        addresses << "127.0.0.1:" + QString::fromUtf8(simulators[i].readLine()).trimmed();
    }
    QTcpServer probe; // a free port, closed again: nobody listens there
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    addresses << "127.0.0.1:" + QString::number(probe.serverPort());
    probe.close();

    QProcess inspect;
    inspect.start(KORVID_INSPECT, {"--client", addresses[0], "--client", addresses[1], "--client",
                                   addresses[2], "--client", addresses[3], "--wait", "20"});
    ASSERT_TRUE(inspect.waitForFinished(BoundMs));
    EXPECT_EQ(inspect.exitCode(), 1);
    EXPECT_EQ(inspect.readAllStandardError(),
              "korvid-inspect: " + addresses[3] + ": Connection refused\n");
    const auto report = nlohmann::json::parse(inspect.readAllStandardOutput().toStdString());
    ASSERT_EQ(report["clients"].size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const nlohmann::json& client = report["clients"][i];
        EXPECT_EQ(client["machine"], "rig" + std::to_string(i + 1));
        ASSERT_FALSE(client["units"].empty()) << i;
        for (const nlohmann::json& unit : client["units"])
            EXPECT_FALSE(unit.at("log").at("frames").empty()) << unit;
    }
}

} // namespace
} // namespace korvid
