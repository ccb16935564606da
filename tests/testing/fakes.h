#pragma once

#include <filesystem>
#include <string>

#include "util/date_time.h"
#include "util/platform.h"

namespace korvid::test {

// A fixed instant the test moves when it matters.
struct TFakeClock final : util::IClock {
    double Value = *util::EncodeDate(2026, 12, 6) + 0.5; // 2026-12-06 12:00
    [[nodiscard]] double Now() const override { return Value; }
};

// Day d of month m of year y at hh:mm:ss, for expectations.
inline double At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return *util::EncodeDate(y, m, d) + *util::EncodeTime(hh, mm, ss);
}

// dd/mm/yyyy and hh:nn, a decimal comma; or, with MonthNames, "4 March 2026", which no short
// date conversion reads back.
struct TFakeRegionalSettings final : util::IRegionalSettings {
    bool MonthNames = false;

    [[nodiscard]] std::string FormatShortDate(double dateTime) const override
    {
        const util::TDate d = util::DecodeDate(dateTime);
        if (MonthNames) {
            static const char* names[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
            return std::to_string(d.Day) + " " + names[d.Month - 1] + " " + std::to_string(d.Year);
        }
        return Two(d.Day) + "/" + Two(d.Month) + "/" + std::to_string(d.Year);
    }
    [[nodiscard]] std::string FormatShortTime(double dateTime) const override
    {
        const util::TTimeOfDay t = util::DecodeTime(dateTime);
        return Two(t.Hour) + ":" + Two(t.Minute);
    }
    [[nodiscard]] char DecimalSeparator() const override { return ','; }
    [[nodiscard]] char ListSeparator() const override { return ';'; }

private:
    static std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
};

struct TFakeProgramFolder final : util::IProgramFolder {
    std::filesystem::path Folder;
    [[nodiscard]] std::filesystem::path Path() const override { return Folder; }
};

} // namespace korvid::test
