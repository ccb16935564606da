#pragma once

// What the generators of both log dialects share.

#include <cstdint>

namespace korvid::loggen::parts {

// splitmix64: small, fast, and the same everywhere.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t m_state;
};

// The log's wall clock: a day of the calendar and the seconds into it.
struct TCalendar {
    int Year = 2026, Month = 1, Day = 2, Seconds = 0;

    // Returns whether a midnight was passed.
    bool Advance(int seconds)
    {
        static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool midnight = false;
        Seconds += seconds;
        while (Seconds >= 86400) {
            midnight = true;
            Seconds -= 86400;
            const bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
            if (++Day > (Month == 2 && leap ? 29 : Days[Month - 1])) {
                Day = 1;
                if (++Month > 12) {
                    Month = 1;
                    ++Year;
                }
            }
        }
        return midnight;
    }
};

} // namespace korvid::loggen::parts
