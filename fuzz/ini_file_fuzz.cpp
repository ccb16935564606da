// Any bytes up to the first zero byte as a settings file, the rest as zero-separated
// (section, key, value) triples to write. Whatever was read, and whatever a write accepted,
// must come back unchanged from the written text; a refused write must change nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "util/ini_file.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

void CheckReadsBack(const korvid::util::TIniFile& ini)
{
    korvid::util::TIniFile reread;
    reread.SetText(ini.Text());
    Check(reread.Entries() == ini.Entries());
    Check(reread.Text() == ini.Text());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    korvid::util::TIniFile ini;
    ini.SetText(input.substr(0, split));
    CheckReadsBack(ini);
    if (split == std::string_view::npos)
        return 0;

    std::vector<std::string_view> fields;
    for (input.remove_prefix(split + 1);;) {
        const auto end = input.find('\0');
        fields.push_back(input.substr(0, end));
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + 1);
    }
    for (std::size_t i = 0; i + 2 < fields.size(); i += 3) {
        const std::string before = ini.Text();
        if (ini.WriteString(fields[i], fields[i + 1], fields[i + 2]))
            Check(ini.Value(fields[i], fields[i + 1]) == fields[i + 2]);
        else
            Check(ini.Text() == before);
    }
    CheckReadsBack(ini);
    return 0;
}
