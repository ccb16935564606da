#pragma once

#include <cstdint>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/platform.h"
#include "workunits/wu.h"
#include "workunits/wus.h"

namespace korvid::window {

enum class TGrouping { ByProject, ByDate };

// Indexes of the tree images; the work-unit pictures come in pairs, complete then incomplete.
namespace wu_image {
constexpr int Blob = 0;
constexpr int Project = 1;
constexpr int Calendar = 2;
constexpr int Arrow = 3;
constexpr int FirstWU = 4;
constexpr int Unknown = 16; // and 17
constexpr int Gpu = 18;     // and 19: the GPU cores
constexpr int Cpu = 20;     // and 21: the SMP and later CPU cores
constexpr int Count = 22;
} // namespace wu_image

// What the tree's icon calls complete: as many steps as frames expected, the frame-0 step of
// cores other than Tinker not counted.
[[nodiscard]] bool IsCompleteForIcon(const workunits::TWU& wu);
// What the history commands and the exports call complete: at least FramesExpected steps.
[[nodiscard]] bool IsComplete(const workunits::TWU& wu);
[[nodiscard]] int WUImageIndex(const workunits::TWU& wu);
// The picture of a core's family, complete or not.
[[nodiscard]] int WUImageIndex(std::uint16_t coreCode, bool complete);
// The protein as logged (bytes), or, for a unit whose log names none (the GPU cores, the v7/v8
// client), its project number as "p1234"; with the slot ("p1234 FS01") when asked and known.
[[nodiscard]] std::string ProteinText(const workunits::TWU& wu, bool withSlot = false);

// A node is a work-unit node when its image is a work-unit picture and it carries an index.
struct TTreeNode {
    std::string Text; // UTF-8
    int Image = -1;
    std::ptrdiff_t StateIndex = -1; // the unit's index in its collection
    std::vector<TTreeNode> Children;

    [[nodiscard]] bool IsWUNode() const { return Image > wu_image::Arrow && StateIndex != -1; }
};

// The groups in display order, each holding its units in display order: groups by ascending
// project number or day, units by ascending start. What has no number or no date is not ordered
// against the others and keeps its place among them.
[[nodiscard]] std::vector<TTreeNode> BuildTree(const workunits::TWUs& wus, TGrouping grouping,
                                               const util::IRegionalSettings& regional);

// The digits of the first "p" or "P", digits, "_" in the text; none when there is no such run
// or it has no digits ("p_").
[[nodiscard]] std::optional<std::string_view> ProjectDigits(std::string_view text);
// As numbers, of any length; 0 when either text has none.
[[nodiscard]] int CompareProjectNumbers(std::string_view a, std::string_view b);
// Short date, a space and short time; empty for a date-time on day 0 (not set, or times read
// before any dated line): a log that begins inside a unit gives it no day.
[[nodiscard]] std::string DateTimeText(double dateTime, const util::IRegionalSettings& regional);
// 0 when either date-time is not set.
[[nodiscard]] int CompareDates(double a, double b);

// A protein name as the user sees it: UTF-8 when the log held UTF-8, else read as Windows-1252.
[[nodiscard]] std::string DisplayText(std::string_view bytes);

} // namespace korvid::window
