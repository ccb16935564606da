// Any bytes as a client log, with and without a log path, and as a stored history text.
#include <cstdint>
#include <string_view>

#include "testing/fakes.h"
#include "util/platform.h"
#include "workunits/csv_report.h"
#include "workunits/wus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvid;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const korvid::test::TFakeClock clock; // 2026-12-06 12:00
    const util::TFixedRegionalSettings regional;
    workunits::TWUs wus;
    wus.ReadLog(text, "C:\\FAH\\FAHlog.txt", clock);
    wus.ReadLog(text, {}, clock);
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const workunits::TWU& wu = *wus.Items(i);
        (void)wu.Benchmark();
        (void)wu.ElapsedSeconds();
        (void)workunits::BuildCsvText(wu, {}, regional);
    }
    workunits::TWUs history;
    history.ReadLog(wus.AllText(), {}, clock);
    return 0;
}
