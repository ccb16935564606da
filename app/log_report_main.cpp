#include <iostream>
#include <string>
#include <vector>

#include "log_report.h"

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const korvid::util::TSystemClock clock;
    return korvid::inspect::Run(args, std::cout, std::cerr, clock);
}
