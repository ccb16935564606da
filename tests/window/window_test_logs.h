#pragma once

#include <cstdio>
#include <string>

namespace korvid::test {

// One work unit as the client logs it, with what the window's tests vary.
struct TUnitPlan {
    std::string Core = "78"; // two hexadecimal characters after FahCore_
    std::string Protein = "p1234_test";
    int Project = 1234;
    int Run = 1;
    int Clone = 2;
    int Gen = 3;
    std::string Month = "March";
    int Day = 4;
    int Hour = 8;
    int FirstStep = 0; // progress percentages, or Tinker frames
    int LastStep = 100;
    int TinkerFrames = 50;                  // frames a Tinker unit expects
    std::string Shutdown = "FINISHED_UNIT"; // empty: still folding, no shutdown line
};

inline std::string Stamp(int minutes)
{
    char text[16];
    std::snprintf(text, sizeof text, "[%02d:%02d:00] ", minutes / 60 % 24, minutes % 60);
    return text;
}

// The unit starts at Month Day Hour:00 and logs one step a minute.
inline std::string UnitLog(const TUnitPlan& unit)
{
    const int start = unit.Hour * 60;
    std::string log;
    auto line = [&](int minute, const std::string& text) { log += Stamp(minute) + text + "\r\n"; };
    line(start, "Core required: FahCore_" + unit.Core + ".exe");
    line(start, "Working on Unit 01 [" + unit.Month + " " + std::to_string(unit.Day) + " " +
                    Stamp(start).substr(1, 8) + "]");
    line(start, "Protein: " + unit.Protein);
    line(start, "Project: " + std::to_string(unit.Project) + " (Run " + std::to_string(unit.Run) +
                    ", Clone " + std::to_string(unit.Clone) + ", Gen " + std::to_string(unit.Gen) +
                    ")");
    const bool tinker = unit.Core == "65";
    if (tinker)
        line(start, "- Frames Completed: 0, Remaining: " + std::to_string(unit.TinkerFrames));
    int minute = start;
    for (int step = unit.FirstStep; step <= unit.LastStep; ++step) {
        ++minute;
        if (tinker)
            line(minute, "Finished a frame (" + std::to_string(step) + ")");
        else
            line(minute, "Completed " + std::to_string(step) + " out of 100 steps  (" +
                             std::to_string(step) + "%)");
    }
    if (!unit.Shutdown.empty())
        line(minute, "Folding@home Core Shutdown: " + unit.Shutdown);
    return log;
}

} // namespace korvid::test
