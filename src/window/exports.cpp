#include "window/exports.h"

#include "util/file_io.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "png/png_writer.h"
#include "util/date_time.h"
#include "util/error.h"
#include "workunits/csv_report.h"

namespace korvid::window {
namespace {

bool Forbidden(unsigned char c)
{
    if (c < 0x20 || c == 0x7F)
        return true;
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '/':
    case '\\':
    case '|':
    case '?':
    case '*':
        return true;
    default:
        return false;
    }
}

// Cut at a character boundary when the text is UTF-8; other text loses at most a few bytes more.
std::string_view CutBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool Complete(const workunits::TWU& wu)
{
    return wu.Steps.Count() >= wu.FramesExpected;
}

void EnsureFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw util::TError("Cannot create the folder " + util::FileCause(folder, ec.message()));
}

template <class TAction>
TBatchResult RunBatch(std::span<const workunits::TWU* const> units, bool onlyComplete,
                      const TExportProgress& progress, TAction&& action)
{
    auto wanted = [onlyComplete](const workunits::TWU* wu) {
        return wu != nullptr && (!onlyComplete || Complete(*wu));
    };
    int total = 0;
    for (const workunits::TWU* wu : units)
        total += wanted(wu) ? 1 : 0;
    TBatchResult result;
    for (const workunits::TWU* wu : units) {
        if (!wanted(wu))
            continue;
        if (progress && !progress(result.Written, total)) {
            result.Cancelled = true;
            break;
        }
        result.LastFile = action(*wu);
        ++result.Written;
    }
    return result;
}

} // namespace

std::string SafeFileName(std::string_view name)
{
    std::string safe(name);
    for (char& c : safe)
        if (Forbidden(static_cast<unsigned char>(c)))
            c = '_';
    if (safe.empty() || safe == "." || safe == "..")
        safe.assign(std::max<std::size_t>(safe.size(), 1), '_');
    return safe;
}

std::string ExportFileName(const workunits::TWU& wu, std::string_view extension)
{
    const std::string tail = "(" + std::to_string(wu.Run) + "," + std::to_string(wu.Clone) + "," +
                             std::to_string(wu.Gen) + ")_" + util::FormatFileStamp(wu.StartDate()) +
                             "." + std::string(extension);
    const std::size_t room =
        MaxExportNameBytes > tail.size() ? MaxExportNameBytes - tail.size() : 0;
    return SafeFileName(std::string(CutBytes(wu.Protein, room)) + tail);
}

void SaveBitmapPng(const png::TImage& image, const std::filesystem::path& path)
{
    png::SaveToFilePng(image, path, png::TFilterMode::None, true);
}

TExports::TExports(const util::IProgramFolder& program,
                   const translation::TTranslation& translation,
                   const util::IRegionalSettings& regional)
    : m_program(program), m_translation(translation), m_regional(regional)
{
}

std::filesystem::path TExports::CsvFolder() const
{
    return m_program.Path() / "csv";
}

std::filesystem::path TExports::PngFolder() const
{
    return m_program.Path() / "png";
}

std::filesystem::path TExports::CsvFileName(const workunits::TWU& wu) const
{
    return CsvFolder() / ExportFileName(wu, "csv");
}

std::filesystem::path TExports::PngFileName(const workunits::TWU& wu) const
{
    return PngFolder() / ExportFileName(wu, "png");
}

std::filesystem::path TExports::ExportProjectTable(std::string_view csv) const
{
    EnsureFolder(CsvFolder());
    const std::filesystem::path path = CsvFolder() / "projects.csv";
    util::WriteFileAtomically(path, csv);
    return path;
}

std::filesystem::path TExports::ExportWUCsv(const workunits::TWU* wu) const
{
    if (wu == nullptr)
        return {};
    EnsureFolder(CsvFolder());
    std::filesystem::path path = CsvFileName(*wu);
    workunits::SaveCsv(
        *wu, path, [this](std::string_view key) { return m_translation.GetText("", key); },
        m_regional);
    return path;
}

TBatchResult TExports::ExportWUsCsv(const workunits::TWUs& wus, bool onlyComplete,
                                    const TExportProgress& progress) const
{
    std::vector<const workunits::TWU*> units;
    units.reserve(static_cast<std::size_t>(wus.Count()));
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
        units.push_back(wus.Items(i));
    return ExportWUsCsv(units, onlyComplete, progress);
}

TBatchResult TExports::ExportWUsCsv(std::span<const workunits::TWU* const> units, bool onlyComplete,
                                    const TExportProgress& progress) const
{
    return RunBatch(units, onlyComplete, progress,
                    [this](const workunits::TWU& wu) { return ExportWUCsv(&wu); });
}

std::filesystem::path TExports::SaveGraphPng(IChartImages& chart) const
{
    const workunits::TWU* wu = chart.ShownWU();
    if (wu == nullptr)
        return {};
    const png::TImage image = chart.RenderImage();
    EnsureFolder(PngFolder());
    std::filesystem::path path = PngFileName(*wu);
    SaveBitmapPng(image, path);
    return path;
}

TBatchResult TExports::SaveGraphsPng(IChartImages& chart,
                                     std::span<const workunits::TWU* const> displayOrder,
                                     bool onlyComplete, const TExportProgress& progress) const
{
    const workunits::TWU* shown = chart.ShownWU();
    TBatchResult result;
    try {
        result = RunBatch(displayOrder, onlyComplete, progress, [&](const workunits::TWU& wu) {
            chart.ShowWU(&wu);
            return SaveGraphPng(chart);
        });
    } catch (...) {
        chart.ShowWU(shown);
        throw;
    }
    chart.ShowWU(shown);
    return result;
}

} // namespace korvid::window
