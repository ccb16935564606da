// Writes a realistic client log: korvid-loggen [--seed N] [--units N | --bytes N] [--high-bytes]
// [--dialect v6|v7|v8] [--slots N] OUT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "log_generator.h"

int main(int argc, char** argv)
{
    const char* usage = "usage: korvid-loggen [--seed N] [--units N | --bytes N] [--high-bytes] "
                        "[--dialect v6|v7|v8] [--slots N] OUT\n";
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
        else if (arg == "--dialect" && hasValue && std::string_view(argv[i + 1]) == "v7")
            options.Dialect = korvid::loggen::TDialect::V7, ++i;
        else if (arg == "--dialect" && hasValue && std::string_view(argv[i + 1]) == "v8")
            options.Dialect = korvid::loggen::TDialect::V8, ++i;
        else if (arg == "--dialect" && hasValue && std::string_view(argv[i + 1]) == "v6")
            ++i;
        else if (arg == "--slots" && hasValue)
            options.Slots = std::atoi(argv[++i]);
        else if (arg[0] != '-' && out.empty())
            out = arg;
        else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "%s", usage);
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
