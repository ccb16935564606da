#include "translation/french_defaults.h"

#include <gtest/gtest.h>

#include "translation/text_encoding.h"
#include "translation/translation.h"

namespace korvid {
namespace {

TEST(FrenchDefaults, AreUtf8LinesWithoutFontOrLanguageKeys)
{
    ASSERT_TRUE(translation::IsValidUtf8(translation::FrenchDefaults()));
    translation::TTranslation catalogue("Korvid");
    catalogue.SetDefaults(translation::FrenchDefaults());
    EXPECT_EQ(catalogue.GetText("frmMain", ""), "Korvid");
    EXPECT_EQ(catalogue.GetText("", "msgWUInHistory"),
              "Cette WU existe d\xC3\xA9j\xC3\xA0 dans l'historique !");
    EXPECT_EQ(catalogue.GetText("", "msgWUsDeleted"), "%d WUs ont \xC3\xA9t\xC3\xA9 supprim\xC3\xA9"
                                                      "es de l'historique");
    EXPECT_EQ(catalogue.GetText("", "Language"), "");
}

} // namespace
} // namespace korvid
