#include "window/wu_tree.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "translation/text_encoding.h"
#include "util/date_time.h"
#include "util/ascii_case.h"
#include "window/text_format.h"

namespace korvid::window {
namespace {

using workunits::TWU;

// Bottom-up merge sort on a three-way comparison. It never reads outside the range and keeps
// the order of equal items, whatever the comparison says: ours is not transitive, since
// whatever has no number or no date compares equal to everything.
template <class T, class Compare> void StableSort(std::vector<T>& items, Compare compare)
{
    const std::size_t n = items.size();
    std::vector<T> merged;
    merged.reserve(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        merged.clear();
        for (std::size_t low = 0; low < n; low += 2 * width) {
            const std::size_t middle = std::min(low + width, n);
            const std::size_t high = std::min(low + 2 * width, n);
            std::size_t i = low;
            std::size_t j = middle;
            while (i < middle && j < high)
                merged.push_back(compare(items[j], items[i]) < 0 ? std::move(items[j++])
                                                                 : std::move(items[i++]));
            while (i < middle)
                merged.push_back(std::move(items[i++]));
            while (j < high)
                merged.push_back(std::move(items[j++]));
        }
        items.swap(merged);
    }
}

// Numbers as digit strings, so no length of number can overflow.
int CompareDigits(std::string_view a, std::string_view b)
{
    auto significant = [](std::string_view digits) {
        const auto first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
    };
    const std::string_view x = significant(a);
    const std::string_view y = significant(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    const int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

struct TSortedNode {
    TTreeNode Node;
    double Date = 0;                   // units: the start; day groups: the first unit's day
    std::optional<std::string> Digits; // project groups
};

// A v7 client folds on several slots at once: where a log holds more than one, each unit says
// which.
bool HoldsSeveralSlots(const workunits::TWUs& wus)
{
    const std::string* first = nullptr;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const std::string& slot = wus.Items(i)->Slot;
        if (slot.empty())
            continue;
        if (first != nullptr && *first != slot)
            return true;
        first = &slot;
    }
    return false;
}

std::string WUText(const TWU& wu, TGrouping grouping, const util::IRegionalSettings& regional,
                   bool withSlot)
{
    const double start = wu.StartDate();
    switch (grouping) {
    case TGrouping::ByProject:
        return FormatText("Run %d, Clone %d, Gen %d [%s]",
                          {wu.Run, wu.Clone, wu.Gen, DateTimeText(start, regional)}) +
               (withSlot && !wu.Slot.empty() ? " " + wu.Slot : std::string());
    case TGrouping::ByDate:
        return FormatText("[%s] %s (R: %d, C: %d, G: %d) ",
                          {start < 1 ? std::string() : regional.FormatShortTime(start),
                           DisplayText(ProteinText(wu, withSlot)), wu.Run, wu.Clone, wu.Gen});
    }
    return {};
}

} // namespace

bool IsCompleteForIcon(const TWU& wu)
{
    // Every core but Tinker logs a frame-0 step, except GPU cores, whose first line is 1 %.
    bool frameZero = wu.Core != workunits::core::Tinker;
    if (workunits::CoreFamily(wu.Core) == workunits::TCoreFamily::Gpu)
        frameZero = !wu.Steps.Empty() && wu.Steps.Front().Frame == 0;
    const std::ptrdiff_t n = wu.Steps.Count() - (frameZero ? 1 : 0);
    return n == wu.FramesExpected;
}

bool IsComplete(const TWU& wu)
{
    return wu.Steps.Count() >= wu.FramesExpected;
}

int WUImageIndex(const TWU& wu)
{
    return WUImageIndex(wu.Core, IsCompleteForIcon(wu));
}

int WUImageIndex(std::uint16_t coreCode, bool complete)
{
    namespace core = workunits::core;
    int image = 16;
    switch (coreCode) {
    case core::Tinker:
        image = 4;
        break;
    case core::DoubleGromacs:
        image = 6;
        break;
    case core::Amber:
        image = 8;
        break;
    case core::QMD:
        image = 10;
        break;
    case core::GBGromacs:
        image = 12;
        break;
    case core::Gromacs:
        image = 14;
        break;
    default:
        switch (workunits::CoreFamily(coreCode)) {
        case workunits::TCoreFamily::Gpu:
            image = wu_image::Gpu;
            break;
        case workunits::TCoreFamily::Cpu:
            image = wu_image::Cpu;
            break;
        default:
            break;
        }
        break;
    }
    return complete ? image : image + 1;
}

std::string DateTimeText(double dateTime, const util::IRegionalSettings& regional)
{
    if (dateTime < 1)
        return {};
    return regional.FormatShortDate(dateTime) + " " + regional.FormatShortTime(dateTime);
}

std::string ProteinText(const TWU& wu, bool withSlot)
{
    std::string name =
        !wu.Protein.empty() || wu.Project < 0 ? wu.Protein : "p" + std::to_string(wu.Project);
    if (withSlot && !wu.Slot.empty())
        name += (name.empty() ? "" : " ") + wu.Slot;
    return name;
}

std::optional<std::string_view> ProjectDigits(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != 'p' && text[i] != 'P')
            continue;
        std::size_t j = i + 1;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j < text.size() && text[j] == '_') {
            if (j == i + 1)
                return std::nullopt;
            return text.substr(i + 1, j - i - 1);
        }
    }
    return std::nullopt;
}

int CompareProjectNumbers(std::string_view a, std::string_view b)
{
    const auto da = ProjectDigits(a);
    const auto db = ProjectDigits(b);
    return da && db ? CompareDigits(*da, *db) : 0;
}

int CompareDates(double a, double b)
{
    if (a == 0 || b == 0)
        return 0;
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::string DisplayText(std::string_view bytes)
{
    if (translation::IsValidUtf8(bytes))
        return std::string(bytes);
    return translation::Windows1252ToUtf8(bytes);
}

std::vector<TTreeNode> BuildTree(const workunits::TWUs& wus, TGrouping grouping,
                                 const util::IRegionalSettings& regional)
{
    std::vector<TSortedNode> groups;
    std::vector<std::vector<TSortedNode>> children;
    std::unordered_map<std::string, std::size_t> byKey;
    const bool withSlot = HoldsSeveralSlots(wus);
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const TWU& wu = *wus.Items(i);
        const std::string key = grouping == TGrouping::ByProject
                                    ? DisplayText(ProteinText(wu))
                                    : regional.FormatShortDate(wu.StartDate());
        const auto [at, added] = byKey.try_emplace(util::UpperAscii(key), groups.size());
        if (added) {
            TSortedNode& group = groups.emplace_back();
            group.Node.Text = key;
            group.Node.Image =
                grouping == TGrouping::ByProject ? wu_image::Project : wu_image::Calendar;
            // The day of the group's first unit, not its text read back: a short date written
            // with month names or two-digit years cannot be read back reliably.
            group.Date = util::DateOf(wu.StartDate());
            if (const auto digits = ProjectDigits(key))
                group.Digits = std::string(*digits);
            else if (wu.Protein.empty() && wu.Project >= 0)
                group.Digits = std::to_string(wu.Project);
            children.emplace_back();
        }
        TSortedNode& child = children[at->second].emplace_back();
        child.Node.Text = WUText(wu, grouping, regional, withSlot);
        child.Node.Image = WUImageIndex(wu);
        child.Node.StateIndex = i;
        child.Date = wu.StartDate();
    }

    for (std::size_t g = 0; g < groups.size(); ++g) {
        StableSort(children[g], [](const TSortedNode& a, const TSortedNode& b) {
            return CompareDates(a.Date, b.Date);
        });
        groups[g].Node.Children.reserve(children[g].size());
        for (TSortedNode& child : children[g])
            groups[g].Node.Children.push_back(std::move(child.Node));
    }
    switch (grouping) {
    case TGrouping::ByProject:
        StableSort(groups, [](const TSortedNode& a, const TSortedNode& b) {
            return a.Digits && b.Digits ? CompareDigits(*a.Digits, *b.Digits) : 0;
        });
        break;
    case TGrouping::ByDate:
        StableSort(groups, [](const TSortedNode& a, const TSortedNode& b) {
            return CompareDates(a.Date, b.Date);
        });
        break;
    }
    std::vector<TTreeNode> tree;
    tree.reserve(groups.size());
    for (TSortedNode& group : groups)
        tree.push_back(std::move(group.Node));
    return tree;
}

} // namespace korvid::window
