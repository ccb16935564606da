#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "util/date_time.h"
#include "workunits/wus.h"

namespace korvid::test {

// Lines joined with the given line end after each one.
inline std::string Lines(std::initializer_list<std::string_view> lines,
                         std::string_view end = "\r\n")
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += end;
    }
    return text;
}

// What a reader made of a unit, on one line: the fields it set (defaults are left out), each
// step as frame/seconds@time with R for a restart and C for the converged mark, the stored
// lines. One expected text then pins the whole unit.
inline std::string Digest(const workunits::TWU& wu)
{
    std::string d;
    const auto part = [&](const std::string& text) { d += (d.empty() ? "" : "; ") + text; };
    const auto n = [](auto value) { return std::to_string(value); };
    if (wu.Project != -1 || wu.Run != -1 || wu.Clone != -1 || wu.Gen != -1)
        part("prcg " + n(wu.Project) + " " + n(wu.Run) + " " + n(wu.Clone) + " " + n(wu.Gen));
    if (!wu.Protein.empty())
        part("protein " + wu.Protein);
    if (wu.Core != 0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", wu.Core);
        part(std::string("core ") + hex);
    }
    if (wu.FramesExpected != 0)
        part("frames " + n(wu.FramesExpected));
    if (!wu.UserName.empty() || wu.Team != 0 || !wu.UserID.empty() || wu.MachineID != 0)
        part("donor " + wu.UserName + " " + n(wu.Team) + " " + wu.UserID + " " + n(wu.MachineID));
    if (!wu.Slot.empty())
        part("slot " + wu.Slot);
    if (wu.StartTime != 0)
        part("start " + util::FormatIso(wu.StartTime));
    if (wu.StartDate() != wu.StartTime)
        part("from " + util::FormatIso(wu.StartDate()));
    if (wu.EndDate() != 0)
        part("end " + util::FormatIso(wu.EndDate()));
    if (wu.LastTime != wu.EndDate())
        part("clock " + util::FormatIso(wu.LastTime));
    std::string steps;
    for (const auto& step : wu.Steps) {
        steps += " " + n(step.Frame) + "/" + n(step.Duration);
        if (step.Date != 0)
            steps += "@" + util::FormatIso(step.Date).substr(11);
        steps += std::string(step.RestartAfter ? "R" : "") + (step.ConvergedAfter ? "C" : "");
    }
    if (!steps.empty())
        part("steps" + steps);
    if (!wu.ShutdownLine.empty())
        part("shut" + wu.ShutdownLine.substr(wu.ShutdownLine.rfind(':') + 1));
    std::size_t lines = 0;
    for (std::size_t at = wu.Text.find("\r\n"); at != std::string_view::npos;
         at = wu.Text.find("\r\n", at + 2))
        ++lines;
    part("lines " + n(lines));
    return d;
}

// Two readings of the same units agree on every byte, step and field, the log path included.
inline void ExpectSameUnits(const workunits::TWUs& a, const workunits::TWUs& b)
{
    ASSERT_EQ(b.Count(), a.Count());
    for (std::ptrdiff_t i = 0; i < a.Count(); ++i) {
        SCOPED_TRACE("unit " + std::to_string(i));
        const workunits::TWU& x = *a.Items(i);
        const workunits::TWU& y = *b.Items(i);
        EXPECT_EQ(y.Text, x.Text);
        EXPECT_EQ(y.Steps, x.Steps);
        EXPECT_EQ(Digest(y), Digest(x));
        EXPECT_EQ(y.EndTime, x.EndTime);
        EXPECT_EQ(y.LogPath, x.LogPath);
        EXPECT_TRUE(y.Client == x.Client);
    }
}

} // namespace korvid::test
