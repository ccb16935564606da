#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "util/platform.h"
#include "workunits/csv_report.h"

namespace korvid::workunits {

// Lines of labelled fields for a spreadsheet, with the regional separators.
class TCsvWriter {
public:
    TCsvWriter(const TLabels& labels, const util::IRegionalSettings& regional)
        : m_labels(labels), m_regional(regional), m_separator(regional.ListSeparator())
    {
    }

    // Starts a line with the label of key.
    TCsvWriter& Line(std::string_view key)
    {
        if (!m_text.empty())
            m_text += "\r\n";
        Add(m_labels ? m_labels(key) : std::string{}, false);
        return *this;
    }

    // Starts a line with a value rather than a label.
    TCsvWriter& Row(std::string_view value)
    {
        if (!m_text.empty())
            m_text += "\r\n";
        Add(value, false);
        return *this;
    }

    TCsvWriter& Field(std::string_view value)
    {
        Add(value, true);
        return *this;
    }
    TCsvWriter& Field(long long value) { return Field(std::to_string(value)); }

    // "0.00": two decimals, halves away from zero, the regional decimal separator.
    [[nodiscard]] std::string TwoDecimals(double value) const
    {
        if (!std::isfinite(value))
            return "0" + std::string(1, m_regional.DecimalSeparator()) + "00";
        const auto cents =
            static_cast<long long>(std::llround(std::fmin(std::fabs(value), 9e15) * 100.0));
        char text[48];
        std::snprintf(text, sizeof text, "%s%lld%c%02lld", value < 0 && cents != 0 ? "-" : "",
                      cents / 100, m_regional.DecimalSeparator(), cents % 100);
        return text;
    }

    [[nodiscard]] std::string DateAndTime(double dateTime) const
    {
        return m_regional.FormatShortDate(dateTime) + " " + m_regional.FormatShortTime(dateTime);
    }

    // The text without blanks and control characters at either end.
    std::string Finish()
    {
        std::size_t first = 0;
        std::size_t last = m_text.size();
        while (first < last && static_cast<unsigned char>(m_text[first]) <= ' ')
            ++first;
        while (last > first && static_cast<unsigned char>(m_text[last - 1]) <= ' ')
            --last;
        return m_text.substr(first, last - first);
    }

private:
    void Add(std::string_view value, bool separated)
    {
        if (separated)
            m_text += m_separator;
        if (value.find_first_of(std::string{m_separator, '"', '\r', '\n'}) ==
            std::string_view::npos) {
            m_text += value;
            return;
        }
        m_text += '"';
        for (const char c : value) {
            if (c == '"')
                m_text += '"';
            m_text += c;
        }
        m_text += '"';
    }

    const TLabels& m_labels;
    const util::IRegionalSettings& m_regional;
    const char m_separator;
    std::string m_text;
};

} // namespace korvid::workunits
