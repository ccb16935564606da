// Writes a realistic client log: korvid-loggen [--seed N] [--units N | --bytes N] [--high-bytes]
// OUT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "log_generator.h"

int main(int argc, char** argv)
{
    korvid::loggen::TLogOptions options;
    std::size_t bytes = 0;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue)
            options.Seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--units" && hasValue)
            options.Units = std::atoi(argv[++i]);
        else if (arg == "--bytes" && hasValue)
            bytes = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--high-bytes")
            options.HighBytes = true;
        else if (arg[0] != '-' && out.empty())
            out = arg;
        else {
            std::fprintf(
                stderr,
                "usage: korvid-loggen [--seed N] [--units N | --bytes N] [--high-bytes] OUT\n");
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(
            stderr, "usage: korvid-loggen [--seed N] [--units N | --bytes N] [--high-bytes] OUT\n");
        return 2;
    }
    if (bytes > 0)
        options.Units = korvid::loggen::UnitsForBytes(bytes, options);
    const std::string log = korvid::loggen::GenerateLog(options);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(log.data(), static_cast<std::streamsize>(log.size()));
    if (!file) {
        std::fprintf(stderr, "korvid-loggen: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
