#include "translation/text_encoding.h"

#include <string>

#include <iconv.h>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

// glibc's own table, to check ours against something we did not write; empty where undefined.
std::string IconvFromCp1252(char byte)
{
    const iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char in[1] = {byte};
    char out[8] = {};
    char *inPtr = in, *outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return done == static_cast<std::size_t>(-1) ? std::string() : std::string(out, 8 - outLeft);
}

TEST(IsValidUtf8, AcceptsWellFormedSequencesOnly)
{
    for (const auto& row : test::CaseTable("translation/data/utf8_validity.cases", 2)) {
        SCOPED_TRACE(::testing::PrintToString(row[0]));
        EXPECT_EQ(translation::IsValidUtf8(row[0]), row[1] == "yes");
    }
}

TEST(Windows1252ToUtf8, MatchesGlibcAndKeepsUndefinedBytesAsControls)
{
    if (IconvFromCp1252('\x80').empty())
        GTEST_SKIP() << "glibc has no CP1252 converter here";
    for (int b = 0x01; b <= 0xFF; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const std::string reference = IconvFromCp1252(byte[0]);
        EXPECT_EQ(translation::Windows1252ToUtf8(byte),
                  reference.empty() ? "\xC2" + byte : reference);
    }
}

TEST(DecodeLanguageBytes, KeepsUtf8AndConvertsAnythingElseAsWindows1252)
{
    for (const auto& row : test::CaseTable("translation/data/language_bytes.cases", 3)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(translation::DecodeLanguageBytes(row[1]), row[2]);
    }
}

} // namespace
} // namespace korvid
