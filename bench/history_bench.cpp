// SaveHisto against zlib level 9 on the same bytes, LoadHisto of a 256 MiB history against
// reading the file, plain inflate and a line split. Prints the medians; --quick runs once on a tiny
// history.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "bench_util.h"
#include "history/history_store.h"
#include "log_generator.h"
#include "util/platform.h"
#include "workunits/wus.h"

namespace {

using namespace korvid;

// What a donor's history holds: the stored texts of generated client logs' units, as the log
// reader keeps them, up to the size asked for.
std::string GenerateHistory(std::size_t bytes, std::uint64_t seed)
{
    loggen::TLogOptions options;
    options.Seed = seed;
    options.Units = loggen::UnitsForBytes(2 * bytes, options); // about half a log is kept
    const util::TSystemClock clock;
    workunits::TWUs wus;
    wus.ReadLog(loggen::GenerateLog(options), "C:\\FAH\\FAHlog.txt", clock);
    std::string text;
    text.reserve(bytes);
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const std::string_view unit = wus.Items(i)->Text;
        if (text.size() + unit.size() > bytes)
            break;
        text += unit;
    }
    return text;
}

double Seconds(const auto& job)
{
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, std::size_t bytes, const std::vector<double>& ours,
            const std::vector<double>& ref, double limit)
{
    const double o = Median(ours);
    const double r = Median(ref);
    std::printf("%s %.1f MB  ours %.3f s  ref %.3f s  ratio %.2f  (<= %.1f)\n", what,
                static_cast<double>(bytes) / 1e6, o, r, o / r, limit);
}

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "history bench: %s\n", why.c_str());
    std::exit(1);
}

std::string ReadPlain(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        Fail("cannot open " + path.string());
    std::string bytes(std::filesystem::file_size(path), '\0');
    const auto got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        Fail("cannot read " + path.string());
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    // Years of a donor's units: far past the 16 MiB a history file once could hold.
    const std::size_t size = quick ? 64 * 1024 : std::size_t{256} << 20;
    const int runs = quick ? 1 : 3;

    std::string pattern = (std::filesystem::temp_directory_path() / "korvid-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        Fail("cannot make a temporary folder");
    const std::filesystem::path folder = pattern;

    const std::string text = GenerateHistory(size, 20240601);
    std::string payload(4, '\0');
    for (int i = 0; i < 4; ++i)
        payload[static_cast<std::size_t>(i)] = static_cast<char>((text.size() >> (8 * i)) & 0xFF);
    payload += text;

    history::THistoStore store(folder);
    std::vector<double> saveOurs, saveRef, loadOurs, loadRef;
    std::string refStream(compressBound(static_cast<uLong>(payload.size())), '\0');
    for (int run = 0; run < runs; ++run) {
        saveOurs.push_back(Seconds([&] { store.SaveHisto(text); }));
        saveRef.push_back(Seconds([&] {
            uLongf length = static_cast<uLongf>(refStream.size());
            if (compress2(reinterpret_cast<Bytef*>(refStream.data()), &length,
                          reinterpret_cast<const Bytef*>(payload.data()),
                          static_cast<uLong>(payload.size()), 9) != Z_OK)
                Fail("compress2 failed");
        }));

        history::THistoLoadResult loaded;
        loadOurs.push_back(
            Seconds([&] { loaded = history::ReadCompressedText(store.HistoPath()); }));
        if (loaded.Outcome != history::THistoLoad::Loaded || loaded.Text != text)
            Fail("the history did not load back: " + loaded.Message);

        std::size_t lines = 0;
        loadRef.push_back(Seconds([&] {
            const auto stream = ReadPlain(store.HistoPath());
            std::string inflated(payload.size(), '\0');
            uLongf length = static_cast<uLongf>(inflated.size());
            if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length,
                           reinterpret_cast<const Bytef*>(stream.data()),
                           static_cast<uLong>(stream.size())) != Z_OK)
                Fail("uncompress failed");
            std::vector<std::string_view> split;
            const std::string_view all = std::string_view(inflated).substr(4);
            for (std::size_t from = 0; from < all.size();) {
                const auto end = std::min(all.find("\r\n", from), all.size());
                split.push_back(all.substr(from, end - from));
                from = end + 2;
            }
            lines = split.size();
        }));
        if (lines == 0)
            Fail("the reference split no lines");
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);

    Report("SaveHisto", text.size(), saveOurs, saveRef, 1.2);
    Report("LoadHisto", text.size(), loadOurs, loadRef, 2.0);
    return 0;
}
