// Following live clients against merely parsing their messages with the JSON library: 50 clients
// with 4 running units each, every unit updated every 0.2 s (apply the update, then view the
// client's units), and a client's first log batch of 100,000 lines. CPU time, medians.
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench_util.h"
#include "live/client_session.h"
#include "log_generator.h"
#include "util/date_time.h"

namespace {

using namespace korvid;
using nlohmann::json;

struct TFixedClock final : util::IClock {
    [[nodiscard]] double Now() const override { return *util::EncodeDate(2026, 1, 3) + 0.5; }
};

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double MedianCpu(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = CpuSeconds();
        work();
        times.push_back(CpuSeconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string ClientState(int client, int units)
{
    json state = {{"info", {{"version", "8.4.5"}, {"mach_name", "rig" + std::to_string(client)}}},
                  {"config", {{"user", "donor"}, {"team", 1}, {"passkey", ""}}},
                  {"groups", {{"", {{"config", {{"paused", false}, {"finish", false}}}}}}},
                  {"units", json::array()}};
    for (int u = 0; u < units; ++u)
        state["units"].push_back(
            {{"group", ""},
             {"number", client * 100 + u},
             {"id", "unit" + std::to_string(client) + "-" + std::to_string(u)},
             {"state", "RUN"},
             {"cpus", 4},
             {"gpus", json::array()},
             {"wu_progress", 0.1},
             {"run_time", 3600},
             {"start_time", "2026-01-03T10:00:00Z"},
             {"eta", "10h 9m"},
             {"ppd", 77952},
             {"assignment",
              {{"time", "2026-01-03T09:00:00Z"},
               {"project", 19228},
               {"deadline", 345600},
               {"timeout", 259200},
               {"credit", 17680},
               {"core", {{"type", "0xa8"}}}}},
             {"wu", {{"run", 1}, {"clone", 2}, {"gen", 3}}}});
    return state.dump();
}

// Updates in the proportions of a real 8.4.5 session: mostly ETA, then progress, PPD, frames.
std::vector<std::string> UnitUpdates(int tick, int unit)
{
    std::vector<std::string> out;
    const std::string at = "[\"units\"," + std::to_string(unit) + ",";
    out.push_back(at + "\"eta\",\"" + std::to_string(10 - tick % 10) + "h " +
                  std::to_string(tick % 60) + "m\"]");
    if (tick % 3 == 0)
        out.push_back(at + "\"wu_progress\"," + std::to_string(0.1 + tick * 1e-4) + "]");
    if (tick % 5 == 0)
        out.push_back(at + "\"ppd\"," + std::to_string(77000 + tick) + "]");
    if (tick % 25 == 0)
        out.push_back(at + "\"frames\"," + std::to_string(tick / 25) + "]");
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    const int clients = 50;
    const int units = 4;
    const int ticks = quick ? 5 : 300; // a minute at one update every 0.2 s
    const int runs = quick ? 1 : 5;
    const TFixedClock clock;

    std::vector<std::pair<int, std::string>> messages; // client, message
    for (int tick = 0; tick < ticks; ++tick)
        for (int c = 0; c < clients; ++c)
            for (int u = 0; u < units; ++u)
                for (std::string& m : UnitUpdates(tick, u))
                    messages.emplace_back(c, std::move(m));

    std::size_t viewed = 0;
    const double ours = MedianCpu(runs, [&] {
        std::vector<std::unique_ptr<live::TClientSession>> sessions;
        for (int c = 0; c < clients; ++c) {
            sessions.push_back(std::make_unique<live::TClientSession>(clock));
            (void)sessions.back()->Receive(ClientState(c, units));
        }
        for (const auto& [c, message] : messages) {
            (void)sessions[static_cast<std::size_t>(c)]->Receive(message);
            viewed += sessions[static_cast<std::size_t>(c)]->Units().size();
        }
    });
    std::size_t parsed = 0;
    const double reference = MedianCpu(runs, [&] {
        for (int c = 0; c < clients; ++c)
            parsed += json::parse(ClientState(c, units)).size();
        for (const auto& [c, message] : messages)
            parsed += json::parse(message).size();
    });
    const double perUpdate = 1e6 / static_cast<double>(messages.size());
    bench::Report("apply+view per update " + std::to_string(messages.size()), ours * perUpdate,
                  reference * perUpdate, 2.0, "us");

    // The first log batch: as many lines as the client keeps.
    loggen::TLogOptions options;
    options.Dialect = loggen::TDialect::V8;
    options.Units = quick ? 4 : 900;
    const std::string log = loggen::GenerateLog(options);
    json lines = json::array();
    const std::size_t maxLines = quick ? 1000 : 100000;
    for (std::size_t pos = 0; pos < log.size() && lines.size() < maxLines;) {
        const std::size_t end = std::min(log.find('\n', pos), log.size());
        lines.push_back(log.substr(pos, end - pos));
        pos = end + 1;
    }
    const std::string batch = json::array({"log", lines}).dump();
    const std::string state = ClientState(0, units);
    const double absorb = MedianCpu(runs, [&] {
        live::TClientSession session(clock);
        (void)session.Receive(state);
        (void)session.Receive(batch);
        viewed += session.Units().size();
    });
    const double parse = MedianCpu(runs, [&] {
        parsed += json::parse(state).size();
        parsed += json::parse(batch).size();
    });
    bench::Report("first log batch " + std::to_string(lines.size()) + " lines", absorb, parse,
                  2.0);
    return viewed > 0 && parsed > 0 ? 0 : 1;
}
