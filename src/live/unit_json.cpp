#include "live/unit_json.h"

#include "util/date_time.h"

namespace korvid::live {

namespace {

using nlohmann::json;

json DateTime(double at)
{
    return at == 0 ? json() : json(util::FormatIso(at));
}

} // namespace

json UnitJson(const TUnitView& unit, const workunits::TWU* logged)
{
    json gpus = json::array();
    for (const TGpu& gpu : unit.Gpus)
        gpus.push_back({{"id", gpu.Id}, {"description", gpu.Description}});
    json out = {
        {"machine", unit.Machine},
        {"group", unit.Group},
        {"number", unit.Number},
        {"id", unit.Id},
        {"project", unit.Project},
        {"run", unit.Run},
        {"clone", unit.Clone},
        {"gen", unit.Gen},
        {"core", unit.Core},
        {"coreName", unit.CoreName},
        {"state", unit.State},
        {"status", unit.Status},
        {"statusText", StatusText(unit.Status)},
        {"pauseReason", unit.PauseReason},
        {"progress", unit.Progress},
        {"runSeconds", unit.RunSeconds},
        {"tpfSeconds", unit.TpfSeconds},
        {"etaSeconds", unit.EtaSeconds ? json(*unit.EtaSeconds) : json()},
        {"ppd", unit.Ppd},
        {"baseCredit", unit.BaseCredit},
        {"assigned", DateTime(unit.Assigned)},
        {"timeout", DateTime(unit.Timeout)},
        {"deadline", DateTime(unit.Deadline)},
        {"started", DateTime(unit.Started)},
        {"ended", DateTime(unit.Ended)},
        {"cpus", unit.Cpus},
        {"gpus", std::move(gpus)},
    };
    if (logged == nullptr)
        return out;
    json frames = json::array();
    for (const workunits::TStep& step : logged->Steps)
        frames.push_back({{"frame", step.Frame},
                          {"date", DateTime(step.Date)},
                          {"duration", step.Duration},
                          {"restartAfter", step.RestartAfter}});
    const workunits::TBenchmark benchmark = logged->Benchmark();
    out["log"] = {
        {"startTime", DateTime(logged->StartTime)},
        {"endTime", DateTime(logged->EndTime)},
        {"benchmark",
         {{"kept", benchmark.Kept},
          {"average", benchmark.Average},
          {"validity", benchmark.Validity}}},
        {"frames", std::move(frames)},
    };
    return out;
}

} // namespace korvid::live
