#include "window/languages.h"

#include <algorithm>
#include <system_error>

#include "translation/translation.h"
#include "util/ascii_case.h"

namespace korvid::window {
namespace {

// <base name>.*.lng without regard to case.
bool LooksLikeLanguageFile(const std::string& fileName, const std::string& upperBase)
{
    const std::string name = util::UpperAscii(fileName);
    const std::string lead = upperBase + ".";
    constexpr std::string_view tail = ".LNG";
    return name.size() >= lead.size() + tail.size() && name.starts_with(lead) &&
           name.ends_with(tail);
}

} // namespace

bool IsMenuLanguageCode(std::string_view code)
{
    if (code.empty())
        return false;
    return std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

std::vector<TLanguageChoice> FindLanguages(const std::filesystem::path& folder,
                                           std::string_view executableBaseName)
{
    const std::string upperBase = util::UpperAscii(executableBaseName);
    std::vector<TLanguageChoice> found;
    std::error_code ec;
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    for (std::filesystem::directory_iterator it(where, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!LooksLikeLanguageFile(it->path().filename().string(), upperBase))
            continue;
        const translation::TLanguageInfo info =
            translation::TTranslation::GetLanguageInfo(it->path(), executableBaseName);
        if (info.Usable() && IsMenuLanguageCode(info.Code))
            found.push_back({info.Code, info.Name});
    }
    // The order of the menu must not hang on the order the folder lists its files in.
    std::sort(found.begin(), found.end(), [](const TLanguageChoice& a, const TLanguageChoice& b) {
        return a.Code != b.Code ? a.Code < b.Code : a.Name < b.Name;
    });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const TLanguageChoice& a, const TLanguageChoice& b) {
                                return a.Code == b.Code;
                            }),
                found.end());
    return found;
}

std::vector<TLanguageChoice> FindLanguages(const std::vector<std::filesystem::path>& folders,
                                           std::string_view executableBaseName)
{
    std::vector<TLanguageChoice> found;
    for (const std::filesystem::path& folder : folders) {
        std::vector<TLanguageChoice> here = FindLanguages(folder, executableBaseName);
        found.insert(found.end(), here.begin(), here.end());
    }
    // Stable: of one code, the earlier folder's entry stays.
    std::stable_sort(
        found.begin(), found.end(),
        [](const TLanguageChoice& a, const TLanguageChoice& b) { return a.Code < b.Code; });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const TLanguageChoice& a, const TLanguageChoice& b) {
                                return a.Code == b.Code;
                            }),
                found.end());
    return found;
}

} // namespace korvid::window
