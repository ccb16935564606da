#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "png/image.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "workunits/wu.h"
#include "workunits/wus.h"

namespace korvid::window {

// The chart on screen, as the PNG export drives it.
struct IChartImages {
    virtual ~IChartImages() = default;
    [[nodiscard]] virtual const workunits::TWU* ShownWU() const = 0;
    // Shows the unit (none: the blank chart) at its full ranges, painted before returning.
    virtual void ShowWU(const workunits::TWU* wu) = 0;
    // The chart as its paint draws it now: the size of the chart surface, every pixel opaque.
    [[nodiscard]] virtual png::TImage RenderImage() = 0;
};

// Called before each file of a batch with the files written so far and the number the batch
// means to write. False cancels: the files written stay, the rest are not started.
using TExportProgress = std::function<bool(int written, int total)>;

struct TBatchResult {
    int Written = 0;
    bool Cancelled = false;
    std::filesystem::path LastFile; // the last file written
};

// Longest export file name we make, in bytes: the writer's temporary name adds a few to it and
// file systems stop at 255.
constexpr std::size_t MaxExportNameBytes = 200;

// Log data become a plain file name: separators, control characters and what Windows or Linux
// forbid in names (<>:"/\|?* and NUL) turn into "_", and "." or ".." are never the result.
[[nodiscard]] std::string SafeFileName(std::string_view name);

// "p1234_abc(3,12,45)_20060629_1941" plus the extension, made safe; a protein name too long for
// the file system is cut short.
[[nodiscard]] std::string ExportFileName(const workunits::TWU& wu, std::string_view extension);

// PNG without filtering; fully transparent pixels keep their colour.
void SaveBitmapPng(const png::TImage& image, const std::filesystem::path& path);

// CSV files and chart images of work units, into the folders "csv" and "png" beside the
// program, replacing files of the same name. "Only complete" takes the units with at least as
// many steps as frames expected. Each failure is a util::TError naming the file or
// folder; a batch stops at the unit that failed.
class TExports {
public:
    TExports(const util::IProgramFolder& program, const translation::TTranslation& translation,
             const util::IRegionalSettings& regional);

    [[nodiscard]] std::filesystem::path CsvFolder() const;
    [[nodiscard]] std::filesystem::path PngFolder() const;
    [[nodiscard]] std::filesystem::path CsvFileName(const workunits::TWU& wu) const;
    [[nodiscard]] std::filesystem::path PngFileName(const workunits::TWU& wu) const;

    // The table of benchmarks per project, as "projects.csv"; the file written.
    std::filesystem::path ExportProjectTable(std::string_view csv) const;
    // Nothing without a unit; the file written.
    std::filesystem::path ExportWUCsv(const workunits::TWU* wu) const;
    // In collection order.
    TBatchResult ExportWUsCsv(const workunits::TWUs& wus, bool onlyComplete,
                              const TExportProgress& progress = {}) const;
    TBatchResult ExportWUsCsv(std::span<const workunits::TWU* const> units, bool onlyComplete,
                              const TExportProgress& progress = {}) const;

    // The chart as shown now; nothing when it shows no unit. The file written.
    std::filesystem::path SaveGraphPng(IChartImages& chart) const;
    // One image per unit, in the order given (the tree's display order): each unit is shown and
    // saved in turn, and the unit shown before comes back at the end, after a failure too.
    TBatchResult SaveGraphsPng(IChartImages& chart,
                               std::span<const workunits::TWU* const> displayOrder,
                               bool onlyComplete, const TExportProgress& progress = {}) const;

private:
    const util::IProgramFolder& m_program;
    const translation::TTranslation& m_translation;
    const util::IRegionalSettings& m_regional;
};

} // namespace korvid::window
