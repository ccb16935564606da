#include "workunits/wus.h"

#include <cstring>
#include <unordered_set>

#include "util/dates.h"
#include "workunits/identity.h"
#include "workunits/literal_search.h"

namespace korvid::workunits {
namespace {

// Whether line holds literal, letters compared without regard to case (ASCII only).
// The literal is given in upper case.
bool HoldsNoCase(std::string_view line, std::string_view upperLiteral)
{
    if (upperLiteral.size() > line.size())
        return false;
    const char first = upperLiteral.front();
    const char lower = first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : first;
    const std::size_t last = line.size() - upperLiteral.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (line[i] != first && line[i] != lower)
            continue;
        std::size_t k = 1;
        while (k < upperLiteral.size() && util::UpperAscii(line[i + k]) == upperLiteral[k])
            ++k;
        if (k == upperLiteral.size())
            return true;
    }
    return false;
}

bool Holds(std::string_view line, std::string_view literal)
{
    return line.find(literal) != std::string_view::npos;
}

// The lines that matter; every other line of the log is dropped for good.
bool Keep(std::string_view line)
{
    static constexpr std::string_view Literals[] = {
        " STEPS ",     "FINISHED A FRAME (",   "CORE REQUIRED",  "GOT A SIGTERM SIGNAL",
        "WORKING ON UNIT", "FOLDING@HOME CLIENT SHUTDOWN", "- USER NAME", "- USER ID",
        "- MACHINE ID", "- FAHLOG PATH",       "PROJECT: ",      "PROTEIN: ",
        "- RUN: ",     "- FRAMES COMPLETED: ", "TINKER: ",       "SYSTEM: ",
        "WF CONVERGED, JUMPING TO MD"};
    for (std::string_view literal : Literals)
        if (HoldsNoCase(line, literal))
            return true;
    // A core shutdown that was interrupted is no end: the unit goes on after the restart.
    return HoldsNoCase(line, "FOLDING@HOME") && HoldsNoCase(line, "CORE") &&
           !HoldsNoCase(line, "INTERRUPTED");
}

// Everything Keep accepts holds one of these; all but the last are its own tests, so a line
// found by one of them is kept without testing it again.
const TLiteralSearch& KeepCandidates()
{
    static const TLiteralSearch search({" STEPS ", "FINISHED A FRAME (", "CORE REQUIRED",
                                        "GOT A SIGTERM SIGNAL", "WORKING ON UNIT", "- USER NAME",
                                        "- USER ID", "- MACHINE ID", "- FAHLOG PATH", "PROJECT: ",
                                        "PROTEIN: ", "- RUN: ", "- FRAMES COMPLETED: ", "TINKER: ",
                                        "SYSTEM: ", "WF CONVERGED, JUMPING TO MD", "FOLDING@HOME"});
    return search;
}
constexpr std::size_t NeedsWholeTest = 16; // "FOLDING@HOME" alone decides nothing

enum class THeader { UserName, UserID, MachineID, LogPath, None };

THeader HeaderKind(std::string_view line)
{
    // All four start with "- ": most lines have no '-' at all.
    if (std::memchr(line.data(), '-', line.size()) == nullptr)
        return THeader::None;
    if (HoldsNoCase(line, "- USER NAME"))
        return THeader::UserName;
    if (HoldsNoCase(line, "- USER ID"))
        return THeader::UserID;
    if (HoldsNoCase(line, "- MACHINE ID"))
        return THeader::MachineID;
    if (HoldsNoCase(line, "- FAHLOG PATH"))
        return THeader::LogPath;
    return THeader::None;
}

// In a stored text, the header lines a unit was saved with: user name?, user ID?, machine ID?,
// then the log-path line. Such a run begins a new unit even when the one before never closed.
bool StartsHeaderRun(const std::vector<std::string_view>& lines, std::size_t i)
{
    for (THeader kind : {THeader::UserName, THeader::UserID, THeader::MachineID})
        if (i < lines.size() && HeaderKind(lines[i]) == kind)
            ++i;
    return i < lines.size() && HeaderKind(lines[i]) == THeader::LogPath;
}

// Pass 1: the kept lines of text, in order. Lines end at CR LF, a lone CR or a lone LF.
void KeptLines(std::string_view text, std::vector<std::string_view>& kept)
{
    const TLiteralSearch& candidates = KeepCandidates();
    const char* data = text.data();
    std::size_t pos = 0;                         // always the start of a line
    std::size_t nextLf = 0;                      // the first LF at or after pos, or the end
    while (pos < text.size()) {
        const auto match = candidates.Find(text, pos);
        if (!match)
            break;
        // The line around the match: back to the last line end, on to the next one.
        std::size_t start = pos;
        for (const char end : {'\n', '\r'})
            if (const void* at = memrchr(data + start, end, match->Pos - start))
                start = static_cast<const char*>(at) - data + 1;
        if (nextLf <= match->Pos) { // no literal starts with a line end
            const void* at = std::memchr(data + match->Pos, '\n', text.size() - match->Pos);
            nextLf = at == nullptr ? text.size() : static_cast<const char*>(at) - data;
        }
        std::size_t end = nextLf;
        if (const void* cr = std::memchr(data + match->Pos, '\r', end - match->Pos))
            end = static_cast<const char*>(cr) - data;
        const std::string_view line = text.substr(start, end - start);
        if (match->Literal != NeedsWholeTest || Keep(line))
            kept.push_back(line);
        pos = end;
        if (pos < text.size())
            pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    }
}

} // namespace

TWUs::~TWUs() = default;

TReadStats TWUs::ReadLog(std::string_view content, std::string_view logPath,
                         const util::IClock& clock)
{
    std::vector<std::string_view> kept;
    std::string pathLine;
    std::string joined;
    if (!logPath.empty()) {
        pathLine = "- FahLog Path: " + std::string(logPath);
        if (pathLine.find_first_of("\r\n") == std::string::npos) {
            kept.push_back(pathLine);
        } else {
            // A path with a line break in it splits like any other text.
            joined = pathLine + "\r\n" + std::string(content);
            content = joined;
        }
    }
    KeptLines(content, kept);

    TReadStats stats;
    std::unordered_set<const char*> unconverted;
    TParseContext context;
    context.Now = clock.Now();
    std::unique_ptr<TWU> current;
    std::string_view remembered[4];
    const bool storedText = logPath.empty();

    auto feed = [&](std::string_view line) {
        context.ConversionFailed = false;
        current->ParseLine(line, context);
        if (context.ConversionFailed)
            unconverted.insert(line.data());
    };
    auto close = [&] {
        stats.Added += Close(std::move(current)) ? 1 : 0;
        // A stored unit gets back only its own header lines.
        if (storedText)
            for (auto& line : remembered)
                line = {};
    };

    for (std::size_t i = 0; i < kept.size(); ++i) {
        const std::string_view line = kept[i];
        const THeader kind = HeaderKind(line);
        if (storedText && current && kind != THeader::None && StartsHeaderRun(kept, i))
            close();
        if (kind != THeader::None)
            remembered[static_cast<int>(kind)] = line;
        if (!current && Holds(line, "Core required")) {
            current = std::make_unique<TWU>();
            for (std::string_view header : remembered)
                if (!header.empty())
                    feed(header);
        }
        if (!current)
            continue;
        feed(line);
        if (Holds(line, "Folding@home Core Shutdown")) {
            if (Holds(line, "CORE_OUTDATED")) {
                current.reset();
                if (storedText)
                    for (auto& header : remembered)
                        header = {};
            } else {
                close();
            }
        }
    }
    // The unit the client is still working on.
    if (current)
        close();
    stats.UnconvertedLines = static_cast<int>(unconverted.size());
    return stats;
}

bool TWUs::ContainsHashed(const TWU& wu, std::uint64_t hash) const
{
    const TIdentity identity = IdentityOf(wu.Text);
    const auto [first, last] = m_byIdentity.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (IdentityOf(it->second->Text) == identity)
            return true;
    return false;
}

bool TWUs::Contains(const TWU& wu) const
{
    return ContainsHashed(wu, IdentityOf(wu.Text).Hash());
}

bool TWUs::Close(std::unique_ptr<TWU> wu)
{
    const std::uint64_t hash = IdentityOf(wu->Text).Hash();
    if (ContainsHashed(*wu, hash))
        return false;
    m_byIdentity.emplace(hash, wu.get());
    m_items.push_back(std::move(wu));
    return true;
}

std::string TWUs::AllText() const
{
    std::size_t size = 0;
    for (const auto& wu : m_items)
        size += wu->Text.size();
    std::string text;
    text.reserve(size);
    for (const auto& wu : m_items)
        text += wu->Text;
    return text;
}

const TWU* TWUs::Items(std::ptrdiff_t i) const
{
    return i >= 0 && i < Count() ? m_items[static_cast<std::size_t>(i)].get() : nullptr;
}

std::ptrdiff_t TWUs::IndexOf(const TWU* wu) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == wu)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

void TWUs::Delete(std::ptrdiff_t i)
{
    const TWU* wu = Items(i);
    if (wu == nullptr)
        return;
    const auto [first, last] = m_byIdentity.equal_range(IdentityOf(wu->Text).Hash());
    for (auto it = first; it != last; ++it)
        if (it->second == wu) {
            m_byIdentity.erase(it);
            break;
        }
    m_items.erase(m_items.begin() + i);
}

void TWUs::Clear()
{
    m_byIdentity.clear();
    m_items.clear();
}

} // namespace korvid::workunits
