#pragma once

#include <filesystem>
#include <string>

namespace korvid::util {

// What the platform gives, behind small seams so tests can drive it.

struct IClock {
    virtual ~IClock() = default;
    // Local time, days since 1899-12-30.
    [[nodiscard]] virtual double Now() const = 0;
};

struct IRegionalSettings {
    virtual ~IRegionalSettings() = default;
    [[nodiscard]] virtual std::string FormatShortDate(double dateTime) const = 0;
    // Hours and minutes.
    [[nodiscard]] virtual std::string FormatShortTime(double dateTime) const = 0;
    [[nodiscard]] virtual char DecimalSeparator() const = 0;
    [[nodiscard]] virtual char ListSeparator() const = 0;
};

struct IProgramFolder {
    virtual ~IProgramFolder() = default;
    // Where the executable lies: settings, history, language files and exports live there.
    [[nodiscard]] virtual std::filesystem::path Path() const = 0;
};

// The computer's own clock, read as local time.
struct TSystemClock final : IClock {
    [[nodiscard]] double Now() const override;
};

} // namespace korvid::util

namespace korvid::util {

// For a machine that gives no regional settings: ISO dates, 24-hour times, a decimal point and
// a comma between list items (a semicolon when the decimal separator is itself a comma).
struct TFixedRegionalSettings final : IRegionalSettings {
    char Decimal = '.';
    [[nodiscard]] std::string FormatShortDate(double dateTime) const override;
    [[nodiscard]] std::string FormatShortTime(double dateTime) const override;
    [[nodiscard]] char DecimalSeparator() const override { return Decimal; }
    [[nodiscard]] char ListSeparator() const override { return Decimal == ',' ? ';' : ','; }
};

} // namespace korvid::util
