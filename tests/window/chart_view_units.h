#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testing/fakes.h"
#include "translation/french_defaults.h"
#include "translation/translation.h"
#include "workunits/wu.h"

namespace korvid::test {

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

} // namespace korvid::test
