// Arbitrary bytes as a language file: whatever they hold, the catalogue answers in UTF-8 and
// agrees with itself about whether the file loaded.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "translation/french_defaults.h"
#include "translation/language_lines.h"
#include "translation/text_encoding.h"
#include "translation/translation.h"

namespace {

using namespace korvid::translation;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TTranslation catalogue("Korvid");
    catalogue.SetDefaults(FrenchDefaults());
    const TLanguageLoad outcome = catalogue.LoadLanguageBytes(bytes);
    const TLanguageFile file = ParseLanguageFile(bytes);
    Require(outcome == file.Outcome);

    const std::string texts[] = {
        catalogue.GetText("", "Language"),       catalogue.GetText("frmMain", ""),
        catalogue.GetText("frmMain", "tsHisto"), catalogue.GetText("", "msgProtein"),
        catalogue.GetText("frmMain", "mnuSep1"), catalogue.GetFontFace(),
    };
    for (const std::string& text : texts)
        Require(IsValidUtf8(text));
    Require(texts[4] == "-");
    (void)catalogue.GetCharSet();
    (void)catalogue.GetFontSize();

    if (outcome != TLanguageLoad::Loaded) {
        // Nothing loaded: the defaults alone answer.
        Require(texts[0].empty() && texts[1] == "Korvid");
        return 0;
    }
    Require(!texts[0].empty());
    // The key of the first line, whatever its case or bytes, is found again.
    const std::string text = DecodeLanguageBytes(bytes);
    const std::string_view firstLine = std::string_view(text).substr(0, text.find_first_of("\r\n"));
    if (const std::size_t equals = firstLine.find('='); equals != std::string_view::npos)
        Require(file.Lines.Find(firstLine.substr(0, equals)) != nullptr);
    return 0;
}
