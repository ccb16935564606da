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

// The steps of a work unit in log order. While the reader builds them they live in a vector of
// their own; a closed unit's steps can be moved into its collection's arena (Fix), and any
// later change copies them back first.
class TSteps {
public:
    TStep& Add();
    [[nodiscard]] const TStep* Items(std::ptrdiff_t i) const;
    [[nodiscard]] TStep* Items(std::ptrdiff_t i);
    [[nodiscard]] std::ptrdiff_t Count() const { return static_cast<std::ptrdiff_t>(Size()); }
    [[nodiscard]] bool Empty() const { return Size() == 0; }
    void Delete(std::ptrdiff_t i);
    // Removes the first n steps (all of them when n is larger).
    void DeleteFirst(std::ptrdiff_t n);
    void Clear();
    void Reserve(std::ptrdiff_t count) { Own().reserve(static_cast<std::size_t>(count)); }
    // Appends copies of the source's steps after the ones already here.
    void CopyFrom(const TSteps& source);
    // Average duration (single precision); ties keep the earlier step.
    [[nodiscard]] TDurationStats DurationStats() const;
    // Index of the first step with ConvergedAfter, or -1.
    [[nodiscard]] std::ptrdiff_t FirstConverged() const;
    // From now on the steps are read from fixed, a copy of them that outlives this object.
    // Returns the emptied storage, for the next unit's steps: freed, its place in the heap
    // was taken by small objects and every unit's steps faulted in new pages.
    std::vector<TStep> Fix(const TStep* fixed);
    // Builds on that storage while there are no steps yet.
    void Recycle(std::vector<TStep>&& spare);

    [[nodiscard]] const TStep& Front() const { return *begin(); }
    [[nodiscard]] TStep& Back() { return Own().back(); }
    [[nodiscard]] const TStep& Back() const { return end()[-1]; }
    [[nodiscard]] const TStep* begin() const { return m_fixed ? m_fixed : m_items.data(); }
    [[nodiscard]] const TStep* end() const { return begin() + Size(); }
    bool operator==(const TSteps& other) const;

private:
    [[nodiscard]] std::size_t Size() const { return m_fixed ? m_fixedCount : m_items.size(); }
    std::vector<TStep>& Own();

    std::vector<TStep> m_items;
    const TStep* m_fixed = nullptr; // when set, m_items is empty
    std::size_t m_fixedCount = 0;
};

} // namespace korvid::workunits
