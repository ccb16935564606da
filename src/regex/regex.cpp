#include "regex/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>

#include "util/error.h"

namespace korvid::regex {
namespace {

struct TCodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TMatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

// One match block per thread serves every pattern: only the whole match is ever read.
pcre2_match_data* ThreadMatchData()
{
    thread_local std::unique_ptr<pcre2_match_data, TMatchDataFree> data(
        pcre2_match_data_create(1, nullptr));
    return data.get();
}

} // namespace

struct TRegex::TImpl {
    std::unique_ptr<pcre2_code, TCodeFree> Code;
    bool Jit = false;
};

TRegex::TRegex(std::string_view pattern, TCase letterCase) : m_impl(std::make_unique<TImpl>())
{
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    std::uint32_t options = PCRE2_DOTALL;
    if (letterCase == TCase::Ignore)
        options |= PCRE2_CASELESS;
    m_impl->Code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     options, &errorCode, &errorOffset, nullptr));
    if (!m_impl->Code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, sizeof message);
        throw util::TError("Bad pattern \"" + std::string(pattern) + "\" at " +
                           std::to_string(errorOffset) + ": " +
                           reinterpret_cast<const char*>(message));
    }
    // JIT is an accelerator only: where the machine has none, the interpreter matches the same.
    m_impl->Jit = pcre2_jit_compile(m_impl->Code.get(), PCRE2_JIT_COMPLETE) == 0;
}

TRegex::~TRegex() = default;
TRegex::TRegex(TRegex&&) noexcept = default;
TRegex& TRegex::operator=(TRegex&&) noexcept = default;

std::optional<TMatch> TRegex::Find(std::string_view subject, std::size_t from) const
{
    if (from > subject.size())
        return std::nullopt;
    pcre2_match_data* data = ThreadMatchData();
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const int rc =
        m_impl->Jit
            ? pcre2_jit_match(m_impl->Code.get(), bytes, subject.size(), from, 0, data, nullptr)
            : pcre2_match(m_impl->Code.get(), bytes, subject.size(), from, 0, data, nullptr);
    if (rc < 0)
        return std::nullopt;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    if (ovector[1] < ovector[0])
        return std::nullopt;
    return TMatch{ovector[0], subject.substr(ovector[0], ovector[1] - ovector[0])};
}

std::optional<TMatch> TRegex::FindNext(std::string_view subject, const TMatch& previous) const
{
    return Find(subject, previous.End() + (previous.Length() == 0 ? 1 : 0));
}

} // namespace korvid::regex
