#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <QProcess>
#include <QTcpServer>

namespace korvid {
namespace {

// The bounds only keep a broken build from hanging the suite; nothing waits for them to pass.
constexpr int StartBoundMs = 20'000;
constexpr int RunBoundMs = 60'000;

class InspectClientsTest : public ::testing::Test {
protected:
    ~InspectClientsTest() override
    {
        for (const auto& simulator : simulators) {
            simulator->kill();
            simulator->waitForFinished(StartBoundMs);
        }
    }

    // A simulated client on a free port of 127.0.0.1, which it prints first.
    QString StartSimulator(const QStringList& args)
    {
        auto& simulator = simulators.emplace_back(std::make_unique<QProcess>());
        simulator->start(KORVID_CLIENTSIM, args);
        while (!simulator->canReadLine() && simulator->waitForReadyRead(StartBoundMs)) {
        }
        const QString port = QString::fromUtf8(simulator->readLine()).trimmed();
        EXPECT_FALSE(port.isEmpty()) << simulator->readAllStandardError().toStdString();
        return "127.0.0.1:" + port;
    }

    static QString PortNobodyListensOn()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return "127.0.0.1:" + QString::number(probe.serverPort());
    }

    std::vector<std::unique_ptr<QProcess>> simulators;
};

TEST_F(InspectClientsTest, PrintsTheUnitsOfEveryClientReachedAndNamesTheOneThatIsNot)
{
    QStringList args;
    QStringList addresses;
    for (const char* seed : {"1", "2", "3"})
        addresses << StartSimulator(
            {"--name", QString("rig") + seed, "--seed", seed, "--warm-up", "400"});
    addresses << PortNobodyListensOn();
    for (const QString& address : addresses)
        args << "--client" << address;

    QProcess inspect;
    inspect.start(KORVID_INSPECT, args << "--wait"
                                       << "20");
    ASSERT_TRUE(inspect.waitForFinished(RunBoundMs));
    EXPECT_EQ(inspect.exitCode(), 1);
    EXPECT_EQ(inspect.readAllStandardError().toStdString(),
              "korvid-inspect: " + addresses[3].toStdString() + ": Connection refused\n");

    const auto report = nlohmann::json::parse(inspect.readAllStandardOutput().toStdString());
    ASSERT_EQ(report["clients"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const nlohmann::json& client = report["clients"][i];
        SCOPED_TRACE(client["address"].get<std::string>());
        EXPECT_EQ(client["address"], addresses[static_cast<int>(i)].toStdString());
        EXPECT_EQ(client["machine"], "rig" + std::to_string(i + 1));
        ASSERT_FALSE(client["units"].empty());
        for (const nlohmann::json& unit : client["units"]) {
            EXPECT_EQ(unit["machine"], client["machine"]);
            ASSERT_TRUE(unit.contains("log")) << unit["id"];
            EXPECT_FALSE(unit["log"]["frames"].empty()) << unit["id"];
        }
    }
}

} // namespace
} // namespace korvid
