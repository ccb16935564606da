#include "workunits/step.h"

#include <algorithm>

namespace korvid::workunits {

std::vector<TStep>& TSteps::Own()
{
    if (m_fixed != nullptr) {
        m_items.assign(m_fixed, m_fixed + m_fixedCount);
        m_fixed = nullptr;
        m_fixedCount = 0;
    }
    return m_items;
}

std::vector<TStep> TSteps::Fix(const TStep* fixed)
{
    m_fixedCount = Size();
    m_fixed = fixed;
    std::vector<TStep> spare = std::move(m_items);
    m_items = {};
    spare.clear();
    return spare;
}

void TSteps::Recycle(std::vector<TStep>&& spare)
{
    if (m_fixed == nullptr && m_items.empty())
        m_items = std::move(spare);
    m_items.clear();
}

TStep& TSteps::Add()
{
    return Own().emplace_back();
}

const TStep* TSteps::Items(std::ptrdiff_t i) const
{
    return i >= 0 && i < Count() ? begin() + i : nullptr;
}

TStep* TSteps::Items(std::ptrdiff_t i)
{
    return i >= 0 && i < Count() ? &Own()[static_cast<std::size_t>(i)] : nullptr;
}

void TSteps::Delete(std::ptrdiff_t i)
{
    if (i >= 0 && i < Count())
        Own().erase(m_items.begin() + i);
}

void TSteps::DeleteFirst(std::ptrdiff_t n)
{
    const std::ptrdiff_t count = std::clamp<std::ptrdiff_t>(n, 0, Count());
    Own().erase(m_items.begin(), m_items.begin() + count);
}

void TSteps::Clear()
{
    m_items.clear();
    m_fixed = nullptr;
    m_fixedCount = 0;
}

void TSteps::CopyFrom(const TSteps& source)
{
    std::vector<TStep>& items = Own();
    items.insert(items.end(), source.begin(), source.end());
}

bool TSteps::operator==(const TSteps& other) const
{
    return std::equal(begin(), end(), other.begin(), other.end());
}

TDurationStats TSteps::DurationStats() const
{
    TDurationStats stats;
    const TStep* items = begin();
    const std::size_t size = Size();
    if (size == 0)
        return stats;
    stats.Shortest = stats.Longest = 0;
    float sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int duration = items[i].Duration;
        if (duration < items[static_cast<std::size_t>(stats.Shortest)].Duration)
            stats.Shortest = static_cast<std::ptrdiff_t>(i);
        if (duration > items[static_cast<std::size_t>(stats.Longest)].Duration)
            stats.Longest = static_cast<std::ptrdiff_t>(i);
        sum = static_cast<float>(static_cast<double>(sum) + duration);
    }
    stats.Average = static_cast<float>(static_cast<double>(sum) / static_cast<double>(size));
    return stats;
}

std::ptrdiff_t TSteps::FirstConverged() const
{
    const auto found =
        std::find_if(begin(), end(), [](const TStep& step) { return step.ConvergedAfter; });
    return found == end() ? -1 : found - begin();
}

} // namespace korvid::workunits
