#include "live/unit_view.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "util/date_time.h"
#include "workunits/wu.h"

namespace korvid::live {

namespace {

using nlohmann::json;

constexpr double SecondsPerDay = 86400;
// An improper shutdown has made clients claim hundreds of millions; no machine folds that much.
constexpr double MaxPlausiblePpd = 1e8;

const json* Member(const json& object, const char* key)
{
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::string Text(const json& object, const char* key)
{
    const json* value = Member(object, key);
    return value != nullptr && value->is_string() ? value->get<std::string>() : std::string();
}

std::optional<double> Number(const json& object, const char* key)
{
    const json* value = Member(object, key);
    if (value == nullptr || !value->is_number())
        return std::nullopt;
    const double number = value->get<double>();
    return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

int Whole(const json& object, const char* key, int fallback)
{
    const auto number = Number(object, key);
    return number && *number >= -2147483648.0 && *number <= 2147483647.0 ? static_cast<int>(*number)
                                                                         : fallback;
}

double Time(const json& object, const char* key)
{
    const json* value = Member(object, key);
    return value != nullptr && value->is_string()
               ? ParseUtcTime(value->get_ref<const std::string&>()).value_or(0)
               : 0;
}

bool Flag(const json& object, const char* key)
{
    const json* value = Member(object, key);
    return value != nullptr && value->is_boolean() && value->get<bool>();
}

const json& Child(const json& object, const char* key)
{
    static const json Empty;
    const json* value = Member(object, key);
    return value == nullptr ? Empty : *value;
}

int Digits(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    if (at + count > text.size())
        return -1;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + count, value);
    return error == std::errc() && end == text.data() + at + count ? value : -1;
}

std::uint16_t CoreCode(std::string_view type)
{
    if (type.size() < 3 || type[0] != '0' || (type[1] != 'x' && type[1] != 'X'))
        return 0;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(type.data() + 2, type.data() + type.size(), value, 16);
    return error == std::errc() && end == type.data() + type.size() && value <= 0xFFFF
               ? static_cast<std::uint16_t>(value)
               : 0;
}

} // namespace

std::optional<TVersion> ParseVersion(std::string_view text)
{
    std::array<int, 3> parts = {0, 0, 0};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto [end, error] =
            std::from_chars(text.data() + pos, text.data() + text.size(), parts[i]);
        if (error != std::errc()) {
            if (i < 2)
                return std::nullopt;
            break;
        }
        pos = static_cast<std::size_t>(end - text.data());
        if (pos >= text.size() || text[pos] != '.')
            break;
        ++pos;
    }
    if (pos < 2)
        return std::nullopt;
    return TVersion{parts[0], parts[1], parts[2]};
}

std::optional<double> ParseUtcTime(std::string_view text)
{
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto date = util::EncodeDate(Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2));
    const auto time =
        util::EncodeTime(Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2));
    if (!date || !time)
        return std::nullopt;
    std::size_t pos = 19;
    double fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        double scale = 0.1;
        for (++pos; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
            fraction += (text[pos] - '0') * scale;
            scale /= 10;
        }
    }
    if (pos < text.size() && text[pos] == 'Z')
        ++pos;
    if (pos != text.size())
        return std::nullopt;
    return *date + *time + fraction / SecondsPerDay;
}

std::optional<double> ParseEta(const json& eta)
{
    if (eta.is_number()) {
        const double seconds = eta.get<double>();
        return std::isfinite(seconds) && seconds >= 0 ? std::optional<double>(seconds)
                                                      : std::nullopt;
    }
    if (!eta.is_string())
        return std::nullopt;
    const auto& text = eta.get_ref<const std::string&>();
    const char* pos = text.data();
    const char* end = pos + text.size();
    const auto skipBlanks = [&] {
        while (pos < end && *pos == ' ')
            ++pos;
    };
    double total = 0;
    bool any = false;
    for (skipBlanks(); pos < end; skipBlanks()) {
        double number = 0;
        const auto [after, error] = std::from_chars(pos, end, number);
        if (error != std::errc() || !(number >= 0))
            return std::nullopt;
        pos = after;
        skipBlanks();
        double unit = 0;
        switch (pos < end ? *pos : '\0') {
        case 'y':
            unit = 365 * SecondsPerDay;
            break;
        case 'd':
            unit = SecondsPerDay;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'm':
            unit = 60;
            break;
        case 's':
            unit = 1;
            break;
        default:
            return std::nullopt;
        }
        while (pos < end && *pos >= 'a' && *pos <= 'z')
            ++pos;
        total += number * unit;
        any = true;
    }
    return any && std::isfinite(total) ? std::optional<double>(total) : std::nullopt;
}

std::string_view StatusText(std::string_view status)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 17> Texts = {{
        {"ASSIGN", "Assigning"},
        {"DOWNLOAD", "Downloading"},
        {"CORE", "Core"},
        {"RUN", "Running"},
        {"FINISH", "Finishing"},
        {"UPLOAD", "Uploading"},
        {"WAIT", "Waiting"},
        {"PAUSE", "Paused"},
        {"DUMP", "Dumping"},
        {"DUMPED", "Dumped"},
        {"EXPIRED", "Expired"},
        {"ABORTED", "Aborted"},
        {"MISSING", "Missing Data"},
        {"RETRIES", "Max Retries"},
        {"FAILED", "Failed"},
        {"REJECTED", "Rejected"},
        {"CREDITED", "Credited"},
    }};
    for (const auto& [code, text] : Texts)
        if (code == status)
            return text;
    return status;
}

namespace {

// Before 8.4 "progress" was the science; from 8.4 on it is the transfer's.
const char* ProgressKey(const TVersion& version)
{
    return version.AtLeast(8, 4) ? "wu_progress" : "progress";
}

void ReadEta(const json& unit, TUnitView& view)
{
    const json* eta = view.Progress >= 100 ? nullptr : Member(unit, "eta");
    view.EtaSeconds = view.Progress >= 100 ? std::optional<double>(0)
                      : eta != nullptr     ? ParseEta(*eta)
                                           : std::nullopt;
}

void ReadProgress(const json& unit, const TVersion& version, TUnitView& view)
{
    const bool wasDone = view.Progress >= 100;
    const auto progress = Number(unit, ProgressKey(version));
    view.Progress = progress ? std::clamp(*progress * 100, 0.0, 100.0) : 0;
    if (wasDone || view.Progress >= 100)
        ReadEta(unit, view);
}

void ReadPpd(const json& unit, TUnitView& view)
{
    const auto ppd = Number(unit, "ppd");
    view.Ppd = ppd && *ppd >= 0 && *ppd <= MaxPlausiblePpd ? *ppd : 0;
}

} // namespace

void ReadUnit(const json& unit, const json& state, const TVersion& version, TUnitView& view,
              TUnitClock& clock)
{
    view = TUnitView();
    clock = TUnitClock();
    const json& info = Child(state, "info");
    view.Machine = Text(info, "mach_name");
    if (view.Machine.empty())
        view.Machine = Text(info, "hostname");
    view.Group = Text(unit, "group");
    if (const auto number = Number(unit, "number"); number && *number >= 0 && *number < 9e15)
        view.Number = static_cast<std::int64_t>(*number);
    view.Id = Text(unit, "id");

    const json& assignment = Child(unit, "assignment");
    const json& wu = Child(unit, "wu");
    view.Project = Whole(assignment, "project", -1);
    view.Run = Whole(wu, "run", -1);
    view.Clone = Whole(wu, "clone", -1);
    view.Gen = Whole(wu, "gen", -1);
    view.Core = CoreCode(Text(Child(assignment, "core"), "type"));
    view.CoreName = workunits::CoreNameOf(view.Core);
    view.BaseCredit = Whole(assignment, "credit", 0);
    view.Assigned = Time(assignment, "time");
    if (view.Assigned != 0) {
        if (const auto timeout = Number(assignment, "timeout"); timeout && *timeout > 0)
            view.Timeout = view.Assigned + *timeout / SecondsPerDay;
        if (const auto deadline = Number(assignment, "deadline"); deadline && *deadline > 0)
            view.Deadline = view.Assigned + *deadline / SecondsPerDay;
    }

    view.State = Text(unit, "state");
    view.PauseReason = Text(unit, "pause_reason");
    ReadProgress(unit, version, view);
    ReadEta(unit, view);
    ReadPpd(unit, view);
    view.Started = Time(unit, "start_time");
    view.Ended = Time(unit, "end_time");
    view.Cpus = std::max(0, Whole(unit, "cpus", 0));
    if (const json* gpus = Member(unit, "gpus"); gpus != nullptr && gpus->is_array()) {
        const json& known = Child(info, "gpus");
        for (const json& id : *gpus)
            if (id.is_string())
                view.Gpus.push_back(
                    {id.get<std::string>(),
                     Text(Child(known, id.get_ref<const std::string&>().c_str()), "description")});
    }

    clock.Result = Text(unit, "result");
    for (char& c : clock.Result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    clock.WaitUntil = Time(unit, "wait");
    clock.BaseRunSeconds = std::max(0.0, Number(unit, "run_time").value_or(0));
    if (const json* groups = Member(state, "groups"); groups != nullptr && groups->is_object())
        clock.GroupFinishing = Flag(Child(Child(*groups, view.Group.c_str()), "config"), "finish");
    else // 8.2 has no groups: the client's own config says it
        clock.GroupFinishing = Flag(Child(state, "config"), "finish");
}

bool ReadUnitField(std::string_view key, const json& unit, const TVersion& version, TUnitView& view)
{
    if (key == "eta")
        ReadEta(unit, view);
    else if (key == ProgressKey(version))
        ReadProgress(unit, version, view);
    else if (key == "ppd")
        ReadPpd(unit, view);
    else if (key != "frames" && key != (version.AtLeast(8, 4) ? "progress" : "wu_progress"))
        return false;
    return true;
}

double RunEstimateSeconds(const TUnitView& unit)
{
    if (unit.TpfSeconds > 0)
        return unit.TpfSeconds * 100;
    if (unit.EtaSeconds && unit.Progress > 0 && unit.Progress < 100)
        return *unit.EtaSeconds / (1 - unit.Progress / 100);
    return 0;
}

void SetClocked(TUnitView& view, const TUnitClock& clock, double now)
{
    view.RunSeconds = clock.BaseRunSeconds;
    if (view.State == "RUN" && view.Started != 0 && now > view.Started)
        view.RunSeconds += (now - view.Started) * SecondsPerDay;
    view.TpfSeconds = view.Progress > 0 ? view.RunSeconds / view.Progress : 0;
    if (!clock.Result.empty())
        view.Status = clock.Result;
    else if (clock.WaitUntil > now)
        view.Status = "WAIT";
    else if (view.State == "RUN" && clock.GroupFinishing)
        view.Status = "FINISH";
    else if (!view.PauseReason.empty())
        view.Status = "PAUSE";
    else
        view.Status = view.State;
}

TUnitView ViewAt(const json& unit, const json& state, const TVersion& version, double now)
{
    TUnitView view;
    TUnitClock clock;
    ReadUnit(unit, state, version, view, clock);
    SetClocked(view, clock, now);
    return view;
}

} // namespace korvid::live
