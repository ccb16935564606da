#include "history/history.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "history/framed_text.h"
#include "history/importer.h"
#include "util/error.h"
#include "workunits/client_line.h"
#include "workunits/client_log.h"
#include "workunits/text_arena.h"

namespace korvid::history {
namespace {

using workunits::TWU;
using workunits::TWUs;

std::vector<std::string_view> LinesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    workunits::TLineCursor cursor(text);
    for (std::string_view line; cursor.Next(line);)
        lines.push_back(line);
    return lines;
}

// The unit a log reader made of these lines, built again from them alone.
std::unique_ptr<TWU> ClassicUnit(std::string_view text, double now)
{
    auto wu = std::make_unique<TWU>();
    wu->Dialect = workunits::TDialect::ClassicWhole;
    wu->Text = text;
    workunits::TParseContext context;
    context.Now = now;
    workunits::TLineCursor cursor(text);
    for (std::string_view line; cursor.Next(line);)
        wu->ParseLine(line, context);
    return wu;
}

constexpr std::string_view CreditName = "credit";
constexpr std::string_view PpdName = "ppd";
constexpr std::string_view MachineName = "machine";
constexpr std::string_view PartialName = "partial";

// The shortest text that reads back as the same double.
std::string NumberText(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::optional<double> NumberOf(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::vector<TAttribute> AttributesOf(const workunits::TClientFacts& facts)
{
    std::vector<TAttribute> attributes;
    if (facts.Credit && std::isfinite(*facts.Credit))
        attributes.push_back({std::string(CreditName), NumberText(*facts.Credit)});
    if (facts.Ppd && std::isfinite(*facts.Ppd))
        attributes.push_back({std::string(PpdName), NumberText(*facts.Ppd)});
    if (!facts.Machine.empty())
        attributes.push_back({std::string(MachineName), facts.Machine});
    if (facts.Partial)
        attributes.push_back({std::string(PartialName), "1"});
    return attributes;
}

// Names this version does not know, and values it cannot read, are left out.
workunits::TClientFacts FactsOf(const std::vector<TAttribute>& attributes)
{
    workunits::TClientFacts facts;
    for (const TAttribute& attribute : attributes) {
        if (attribute.Name == CreditName)
            facts.Credit = NumberOf(attribute.Value);
        else if (attribute.Name == PpdName)
            facts.Ppd = NumberOf(attribute.Value);
        else if (attribute.Name == MachineName)
            facts.Machine = attribute.Value;
        else if (attribute.Name == PartialName)
            facts.Partial = attribute.Value == "1";
    }
    return facts;
}

} // namespace

bool ReadStoredText(std::string_view text, TWUs& wus, const util::IClock& clock, std::size_t* cut)
{
    const TFramedText framed = ReadFramedText(text);
    switch (framed.Outcome) {
    case TFrame::Damaged:
        return false;
    case TFrame::Plain:
        if (cut != nullptr)
            *cut = framed.Cut ? framed.Plain.size() : std::string_view::npos;
        ImportStoredText(framed.Plain, wus, clock);
        return true;
    case TFrame::Framed:
        break;
    }
    const double now = clock.Now();
    // Client units are built in a scratch arena and copied out; it is renewed now and then so
    // that a large history is not held twice.
    constexpr std::size_t ScratchBytes = std::size_t{64} << 20;
    auto scratch = std::make_unique<workunits::TTextArena>();
    std::vector<workunits::TStep> spare;
    for (const TStoredUnit& unit : framed.Units) {
        std::unique_ptr<TWU> wu;
        if (unit.Kind == TUnitKind::Classic) {
            wu = ClassicUnit(unit.Text, now);
        } else {
            if (scratch->UsedBytes() > ScratchBytes)
                scratch = std::make_unique<workunits::TTextArena>();
            wu = workunits::BuildUnit(LinesOf(unit.Text), *scratch, spare);
        }
        wu->Client = FactsOf(unit.Attributes);
        wus.AddCopy(*wu);
    }
    return true;
}

std::string StoredTextOf(const TWUs& wus)
{
    std::vector<TStoredUnit> units;
    units.reserve(static_cast<std::size_t>(wus.Count()));
    bool whole = false;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const TWU& wu = *wus.Items(i);
        // The reader that built the unit, not a guess from its lines: a v5/v6 text may hold a
        // line stamped like a client's, which the client reader would end otherwise.
        const bool client = wu.Dialect == workunits::TDialect::Client;
        whole = whole || wu.Dialect == workunits::TDialect::ClassicWhole;
        units.push_back(
            {client ? TUnitKind::Client : TUnitKind::Classic, wu.Text, AttributesOf(wu.Client)});
    }
    // Only the index keeps a text taken whole in one piece: the log reader could cut it in two,
    // or open no unit in it at all.
    return WriteFramedText(units, whole || NeedsFrame(units));
}

THistory::THistory(const std::filesystem::path& programFolder, const util::IClock& clock,
                   std::size_t maxBytes)
    : m_store(programFolder), m_clock(clock), m_maxBytes(maxBytes), m_wus(std::make_unique<TWUs>())
{
}

THistoLoadResult LoadHistoUnits(const std::filesystem::path& path, TWUs& wus,
                                const util::IClock& clock)
{
    THistoLoadResult result = ReadCompressedText(path);
    if (result.Outcome != THistoLoad::Loaded)
        return result;
    std::size_t cut = std::string_view::npos;
    const bool read = ReadStoredText(result.Text, wus, clock, &cut);
    if (!read) {
        result.Outcome = THistoLoad::Damaged;
        result.Message = util::CannotRead(
            util::FileCause(path, "the index of its units does not match their texts"));
    } else if (cut != std::string_view::npos) {
        result.Message =
            util::FileCause(path, "the history holds a zero byte at offset " + std::to_string(cut) +
                                      "; the " + std::to_string(result.Text.size() - cut) +
                                      " bytes from there on were not loaded");
    }
    result.Text.clear();
    return result;
}

THistoLoadResult THistory::Load(const std::function<void()>& replacing)
{
    auto fresh = std::make_unique<TWUs>();
    THistoLoadResult result = LoadHistoUnits(m_store.HistoPath(), *fresh, m_clock);
    switch (result.Outcome) {
    case THistoLoad::Missing:
        return result;
    case THistoLoad::Damaged:
    case THistoLoad::TooLarge:
        m_guarded = true;
        return result;
    case THistoLoad::Loaded:
        break;
    }
    // What follows a zero byte in an unframed text is not loaded: the file is kept.
    m_guarded = !result.Message.empty();
    if (replacing)
        replacing();
    m_wus = std::move(fresh);
    return result;
}

void THistory::Save()
{
    m_store.SaveHisto(StoredText());
    m_guarded = false;
}

std::string THistory::StoredText() const
{
    return StoredTextOf(*m_wus);
}

std::size_t THistory::TextBytes() const
{
    std::size_t total = 0;
    for (std::ptrdiff_t i = 0; i < m_wus->Count(); ++i)
        total += m_wus->Items(i)->Text.size();
    return total;
}

THistory::TAdding THistory::Add(const TWUs& from, const std::function<bool(const TWU&)>& pick)
{
    TAdding adding;
    std::vector<const TWU*> chosen;
    std::size_t bytes = 0;
    for (std::ptrdiff_t i = 0; i < from.Count(); ++i) {
        const TWU& wu = *from.Items(i);
        if (pick(wu) && !m_wus->Contains(wu)) {
            chosen.push_back(&wu);
            bytes += wu.Text.size();
        }
    }
    adding.Candidates = static_cast<int>(chosen.size());
    adding.Total = TextBytes() + bytes;
    // Said now: at shutdown the save would fail, and everything added since the last save
    // would be at stake.
    if (adding.Total > m_maxBytes) {
        adding.NoRoom = true;
        return adding;
    }
    for (const TWU* wu : chosen)
        adding.Added += m_wus->AddCopy(*wu) ? 1 : 0;
    return adding;
}

THistory::TAdding THistory::Add(const TWU& wu)
{
    TAdding adding;
    if (m_wus->Contains(wu))
        return adding;
    adding.Candidates = 1;
    adding.Total = TextBytes() + wu.Text.size();
    if (adding.Total > m_maxBytes) {
        adding.NoRoom = true;
        return adding;
    }
    adding.Added = m_wus->AddCopy(wu) ? 1 : 0;
    return adding;
}

} // namespace korvid::history
