// Arbitrary messages, one per line, applied to a client's state after a state of two units; a
// message the session refuses starts the connection again, as the transport does. Invariants:
// no crash, the state stays an object, every unit view is well formed and writes as JSON.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "live/client_session.h"
#include "live/unit_json.h"
#include "testing/fakes.h"

namespace {

constexpr std::string_view State = R"({"info":{"version":"8.4.5","mach_name":"m",
"gpus":{"gpu:1:0:0":{"description":"G"}}},"config":{"passkey":""},
"groups":{"":{"config":{"finish":false}}},"units":[
{"group":"","number":7,"id":"A","state":"RUN","gpus":["gpu:1:0:0"],"wu_progress":0.5,
"run_time":60,"start_time":"2024-10-01T05:00:00Z","eta":"1h","ppd":10,
"assignment":{"time":"2024-10-01T04:00:00Z","timeout":60,"deadline":120,"credit":5,
"core":{"type":"0xa8"},"project":1},"wu":{"run":1,"clone":2,"gen":3}},
{"group":"","number":8,"id":"B","state":"DOWNLOAD"}]})";

bool Fine(double value)
{
    return std::isfinite(value) && value >= 0;
}

void Check(const korvid::live::TClientSession& session)
{
    using namespace korvid::live;
    if (session.Phase() != TSessionPhase::AwaitingState && !session.State().is_object())
        std::abort();
    std::vector<TUnitView> units = session.FinishedUnits();
    units.insert(units.end(), session.Units().begin(), session.Units().end());
    for (const TUnitView& unit : units) {
        if (!(unit.Progress >= 0 && unit.Progress <= 100) || !Fine(unit.RunSeconds) ||
            !Fine(unit.TpfSeconds) || !Fine(unit.Ppd) ||
            (unit.EtaSeconds && !Fine(*unit.EtaSeconds)) || unit.Cpus < 0 || unit.CoreName.empty())
            std::abort();
        (void)UnitJson(unit, session.LoggedUnit(unit)).dump();
    }
    (void)session.TotalPpd();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvid::live;
    korvid::test::TFakeClock clock;
    clock.Value = korvid::test::At(2024, 10, 1, 6);
    TClientSession session(clock);
    (void)session.Receive(State);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        if (!session.Receive(input.substr(0, end)).Error.empty()) {
            session.Reset();
            (void)session.Receive(State);
        }
        Check(session);
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    return 0;
}
