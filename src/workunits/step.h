#pragma once

#include <cstddef>
#include <vector>

namespace korvid::workunits {

// One frame of a work unit as the log reports it.
// Fields ordered for size: a long log holds millions of steps.
struct TStep {
    double Date = 0;     // date-time of the step's line
    double PrevDate = 0; // the unit's clock just before that line
    int Frame = -1;      // frame number or percentage; -1 while none was read
    int Duration = 0;    // whole seconds from PrevDate to Date; 0 when unknown
    bool RestartAfter = false;
    bool ConvergedAfter = false;
    bool operator==(const TStep&) const = default;
};

struct TDurationStats {
    float Average = 0;
    std::ptrdiff_t Shortest = -1; // index; -1 for an empty list
    std::ptrdiff_t Longest = -1;
};

// The steps of a work unit in log order.
class TSteps {
public:
    TStep& Add();
    [[nodiscard]] const TStep* Items(std::ptrdiff_t i) const;
    [[nodiscard]] TStep* Items(std::ptrdiff_t i);
    [[nodiscard]] std::ptrdiff_t Count() const
    {
        return static_cast<std::ptrdiff_t>(m_items.size());
    }
    [[nodiscard]] bool Empty() const { return m_items.empty(); }
    void Delete(std::ptrdiff_t i);
    // Removes the first n steps (all of them when n is larger).
    void DeleteFirst(std::ptrdiff_t n);
    void Clear() { m_items.clear(); }
    void Reserve(std::ptrdiff_t count) { m_items.reserve(static_cast<std::size_t>(count)); }
    // Appends copies of the source's steps after the ones already here.
    void CopyFrom(const TSteps& source);
    // Average duration (single precision); ties keep the earlier step.
    [[nodiscard]] TDurationStats DurationStats() const;
    // Index of the first step with ConvergedAfter, or -1.
    [[nodiscard]] std::ptrdiff_t FirstConverged() const;

    [[nodiscard]] const TStep& Front() const { return m_items.front(); }
    [[nodiscard]] TStep& Back() { return m_items.back(); }
    [[nodiscard]] const TStep& Back() const { return m_items.back(); }
    [[nodiscard]] auto begin() const { return m_items.begin(); }
    [[nodiscard]] auto end() const { return m_items.end(); }
    bool operator==(const TSteps&) const = default;

private:
    std::vector<TStep> m_items;
};

} // namespace korvid::workunits
