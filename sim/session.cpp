#include "sim/session.h"

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <stdexcept>
#include <string>

#include "live/unit_view.h"
#include "sim/update_rule.h"
#include "util/date_time.h"
#include "util/error.h"
#include "util/file_io.h"

namespace korvid::clientsim {

TSession ParseSession(std::string_view text)
{
    TSession session;
    // operator>> reads one value and leaves the rest of the stream for the next.
    std::istringstream in{std::string(text)};
    for (std::size_t n = 0; !(in >> std::ws).eof(); ++n) {
        nlohmann::json value;
        try {
            in >> value;
        } catch (const nlohmann::json::exception& e) {
            throw std::runtime_error("value " + std::to_string(n + 1) + " is not JSON (" +
                                     e.what() + ")");
        }
        if (n == 0 && !value.is_object())
            throw std::runtime_error("the first value is not the client's state");
        if (n == 0)
            session.State = std::move(value);
        else
            session.Messages.push_back(std::move(value));
    }
    if (session.State.is_null())
        throw std::runtime_error("no value");
    return session;
}

TSession ReadSession(const std::filesystem::path& path)
{
    // Far above any real session; a bigger file is a mistake, not a session to hold in memory.
    constexpr std::size_t MaxSessionBytes = std::size_t{256} << 20;
    util::TFileReadResult read = util::ReadFileShared(path, MaxSessionBytes);
    if (read.Outcome == util::TFileRead::Missing)
        throw util::TError(util::CannotRead(util::FileCause(path, ENOENT)));
    if (read.Outcome == util::TFileRead::Failed)
        throw util::TError(util::CannotRead(read.Message));
    const std::string& text = read.Bytes;
    try {
        return ParseSession(text);
    } catch (const std::runtime_error& e) {
        throw util::TError(util::CannotRead(util::FileCause(path, e.what())));
    }
}

namespace {

constexpr double DaysTo1970 = 25569; // 1970-01-01 in days since 1899-12-30

template <class F> void EachDate(nlohmann::json& value, const F& visit)
{
    if (value.is_string()) {
        if (const auto at = live::ParseUtcTime(value.get_ref<const std::string&>()))
            visit(value, *at);
    } else if (value.is_structured()) {
        for (nlohmann::json& child : value)
            EachDate(child, visit);
    }
}

} // namespace

void MoveToNow(TSession& session, double nowUnixSeconds)
{
    double latest = 0;
    EachDate(session.State, [&](nlohmann::json&, double at) { latest = std::max(latest, at); });
    if (latest == 0)
        return;
    const double offset = nowUnixSeconds / 86400 + DaysTo1970 - latest;
    const auto move = [offset](nlohmann::json& value, double at) {
        std::string text = util::FormatIso(at + offset);
        text[10] = 'T';
        value = text + 'Z';
    };
    EachDate(session.State, move);
    for (nlohmann::json& message : session.Messages)
        EachDate(message, move);
}

TReplay::TReplay(TSession session, double messagesPerSecond)
    : m_session(std::move(session)), m_pace(messagesPerSecond), m_state(m_session.State)
{
}

std::vector<nlohmann::json> TReplay::Advance(double seconds)
{
    std::vector<nlohmann::json> out;
    m_due += seconds * m_pace;
    for (; m_due >= 1 && !Done(); m_due -= 1) {
        const nlohmann::json& message = m_session.Messages[m_next++];
        ApplyUpdate(m_state, message);
        out.push_back(message);
    }
    if (Done())
        m_due = 0;
    return out;
}

void TReplay::Restart()
{
    m_state = m_session.State;
    m_next = 0;
    m_due = 0;
}

} // namespace korvid::clientsim
