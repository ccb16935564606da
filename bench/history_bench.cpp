// SaveHisto against zlib level 9 on the same bytes, LoadHisto against reading the file, plain
// inflate and a line split. Prints the medians; --quick runs once on a tiny history.
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

#include "history/history_store.h"

namespace {

using namespace korvid;

// Seeded, so two runs time the same bytes.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : m_state(seed) {}
    int Below(int n)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((m_state >> 33) % static_cast<std::uint64_t>(n));
    }

private:
    std::uint64_t m_state;
};

std::string Stamp(int seconds)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "[%02d:%02d:%02d]", seconds / 3600 % 24, seconds / 60 % 60,
                  seconds % 60);
    return buffer;
}

// Work-unit texts as the log reader keeps them: header lines, the unit's opening lines, one
// progress line per frame, the shutdown line; CR LF after each.
std::string GenerateHistory(std::size_t bytes, std::uint64_t seed)
{
    static const char* const Months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    TRandom random(seed);
    std::string text;
    text.reserve(bytes + 16384);
    for (int unit = 0;; ++unit) {
        std::string wu;
        int clock = random.Below(86400);
        const int project = 2600 + random.Below(900);
        const int frames = 100;
        const int stepsPerFrame = 2500 * (1 + random.Below(4));
        wu += "[00:00:00] - User name: folder" + std::to_string(random.Below(50)) +
              " (Team 3213)\r\n";
        wu += "[00:00:00] - User ID: 1A2B3C4D5E6F7081\r\n";
        wu += "[00:00:00] - Machine ID: " + std::to_string(1 + random.Below(8)) + "\r\n";
        wu += Stamp(clock) + " Working on Unit 0" + std::to_string(random.Below(10)) + " [" +
              Months[random.Below(12)] + " " + std::to_string(1 + random.Below(28)) + " " +
              Stamp(clock).substr(1, 8) + "]\r\n";
        wu += Stamp(clock) + " Core required: FahCore_78.exe\r\n";
        wu += Stamp(clock += 2) + " Project: " + std::to_string(project) + " (Run " +
              std::to_string(random.Below(50)) + ", Clone " + std::to_string(random.Below(100)) +
              ", Gen " + std::to_string(random.Below(200)) + ")\r\n";
        wu += Stamp(clock += 1) + " Protein: p" + std::to_string(project) + "_Protein_" +
              std::to_string(random.Below(1000)) + "\r\n";
        for (int frame = 1; frame <= frames; ++frame) {
            clock += 300 + random.Below(240);
            wu += Stamp(clock) + " Completed " + std::to_string(frame * stepsPerFrame) +
                  " out of " + std::to_string(frames * stepsPerFrame) + " steps  (" +
                  std::to_string(frame) + "%)\r\n";
        }
        wu += Stamp(clock += 5) + " Folding@home Core Shutdown: FINISHED_UNIT\r\n";
        if (text.size() + wu.size() > bytes)
            return text;
        text += wu;
    }
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
    const bool quick = argc > 1 && std::string_view(argv[1]) == "--quick";
    const std::size_t size = quick ? 64 * 1024 : history::MaxHistoBytes;
    const int runs = quick ? 1 : 5;

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
        loadOurs.push_back(Seconds([&] { loaded = store.LoadHisto(); }));
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
