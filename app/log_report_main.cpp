#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "log_report.h"
#ifdef KORVID_INSPECT_CLIENTS
#include "live_report.h"
#endif

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const korvid::util::TSystemClock clock;
    // NO_COLOR: the common way to say no to colour even on a terminal.
    const bool terminal = isatty(STDOUT_FILENO) == 1 && std::getenv("NO_COLOR") == nullptr;
#ifdef KORVID_INSPECT_CLIENTS
    if (korvid::inspect::AsksForClients(args))
        return korvid::inspect::RunClients(args, std::cout, std::cerr, terminal);
#endif
    return korvid::inspect::Run(args, std::cout, std::cerr, clock, terminal);
}
