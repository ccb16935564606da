#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "chart/axis_scale.h"
#include "chart/graph.h"
#include "testing/fakes.h"
#include "translation/french_defaults.h"
#include "translation/translation.h"
#include "workunits/wu.h"

// What the window's tests share: units as the client logs them or as the reader leaves them,
// the built-in catalogue, the plot's mapping and mouse events.
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

struct TStepPlan {
    int Frame = 0;
    int Duration = 0; // seconds
    bool RestartAfter = false;
    bool ConvergedAfter = false;
};

// A unit as the reader would leave it: steps one after the other from the start time.
inline std::unique_ptr<workunits::TWU> MakeUnit(const std::string& protein, std::uint16_t core,
                                                int framesExpected,
                                                const std::vector<TStepPlan>& steps,
                                                double start = At(2006, 6, 29, 19, 41))
{
    auto wu = std::make_unique<workunits::TWU>();
    wu->Protein = protein;
    wu->Project = 1234;
    wu->Run = 3;
    wu->Clone = 12;
    wu->Gen = 45;
    wu->Core = core;
    wu->FramesExpected = framesExpected;
    wu->StartTime = start;
    double clock = start;
    for (const TStepPlan& plan : steps) {
        workunits::TStep& step = wu->Steps.Add();
        step.Frame = plan.Frame;
        step.PrevDate = clock;
        clock += plan.Duration / 86400.0;
        step.Date = clock;
        step.Duration = plan.Duration;
        step.RestartAfter = plan.RestartAfter;
        step.ConvergedAfter = plan.ConvergedAfter;
    }
    wu->LastTime = wu->EndTime = clock;
    return wu;
}

// Frames first..last, each taking the given seconds.
inline std::vector<TStepPlan> EvenSteps(int first, int last, int seconds)
{
    std::vector<TStepPlan> steps;
    for (int frame = first; frame <= last; ++frame)
        steps.push_back({frame, seconds});
    return steps;
}

// The catalogue with the built-in French texts only.
inline translation::TTranslation FrenchCatalogue()
{
    translation::TTranslation catalogue("Korvid");
    catalogue.SetDefaults(translation::FrenchDefaults());
    return catalogue;
}

// Where a value of the first y axis lies, worked out apart from the engine's own mapping.
inline chart::TPoint PlotPixel(const chart::TGraph& g, double x, double y)
{
    return {
        chart::ClampPixel(g.PlotLeft + g.PlotWidth * (x - g.X.Lo) / (g.X.Hi - g.X.Lo)),
        chart::ClampPixel(g.PlotBottom - g.PlotHeight * (y - g.Y[0].Lo) / (g.Y[0].Hi - g.Y[0].Lo))};
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, buttons, keys);
    QApplication::sendEvent(&widget, &event);
}

// A press, a move and a release with the left button.
inline void Drag(QWidget& widget, QPoint from, QPoint to, Qt::KeyboardModifiers keys)
{
    SendMouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, keys);
    SendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, keys);
    SendMouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, keys);
}

} // namespace korvid::test
