#include "workunits/step.h"

#include <algorithm>

namespace korvid::workunits {

TStep& TSteps::Add()
{
    return m_items.emplace_back();
}

const TStep* TSteps::Items(std::ptrdiff_t i) const
{
    return i >= 0 && i < Count() ? &m_items[static_cast<std::size_t>(i)] : nullptr;
}

TStep* TSteps::Items(std::ptrdiff_t i)
{
    return i >= 0 && i < Count() ? &m_items[static_cast<std::size_t>(i)] : nullptr;
}

void TSteps::Delete(std::ptrdiff_t i)
{
    if (i >= 0 && i < Count())
        m_items.erase(m_items.begin() + i);
}

void TSteps::DeleteFirst(std::ptrdiff_t n)
{
    m_items.erase(m_items.begin(), m_items.begin() + std::clamp<std::ptrdiff_t>(n, 0, Count()));
}

void TSteps::CopyFrom(const TSteps& source)
{
    m_items.insert(m_items.end(), source.m_items.begin(), source.m_items.end());
}

TDurationStats TSteps::DurationStats() const
{
    TDurationStats stats;
    if (m_items.empty())
        return stats;
    stats.Shortest = stats.Longest = 0;
    float sum = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int duration = m_items[i].Duration;
        if (duration < m_items[static_cast<std::size_t>(stats.Shortest)].Duration)
            stats.Shortest = static_cast<std::ptrdiff_t>(i);
        if (duration > m_items[static_cast<std::size_t>(stats.Longest)].Duration)
            stats.Longest = static_cast<std::ptrdiff_t>(i);
        sum = static_cast<float>(static_cast<double>(sum) + duration);
    }
    stats.Average =
        static_cast<float>(static_cast<double>(sum) / static_cast<double>(m_items.size()));
    return stats;
}

std::ptrdiff_t TSteps::FirstConverged() const
{
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [](const TStep& step) { return step.ConvergedAfter; });
    return found == m_items.end() ? -1 : found - m_items.begin();
}

} // namespace korvid::workunits
