#include "translation/text_encoding.h"

#include <string>

#include <iconv.h>

#include <gtest/gtest.h>

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
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return done == static_cast<std::size_t>(-1) ? std::string() : std::string(out, 8 - outLeft);
}

TEST(IsValidUtf8, AcceptsWellFormedSequencesOnly)
{
    const std::pair<std::string, bool> rows[] = {
        {"", true},
        {"\xC3\xA9", true},
        {"\xE2\x82\xAC", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\x80", false}, // lone continuation
        {"\xC0\xAF", false},
        {"\xE0\x80\xAF", false},     // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"caf\xC3", false},
        {"\xC3\x41", false}, // lead byte then ASCII
        {"caf\xE9", false},
    };
    for (const auto& [bytes, valid] : rows) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        EXPECT_EQ(translation::IsValidUtf8(bytes), valid);
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
    struct Row {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Row rows[] = {
        {"UTF-8 kept", "Prot\xC3\xA9ine \xE2\x82\xAC", "Prot\xC3\xA9ine \xE2\x82\xAC"},
        {"Windows-1252 converted", "Prot\xE9ine \x80", "Prot\xC3\xA9ine \xE2\x82\xAC"},
        {"one bad byte converts the whole text", "\xC3\xA9t\xE9", "\xC3\x83\xC2\xA9t\xC3\xA9"},
        {"UTF-8 cut at the end", "Fran\xC3", "Fran\xC3\x83"},
        {"byte-order mark dropped once", "\xEF\xBB\xBF\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(translation::DecodeLanguageBytes(row.bytes), row.text);
    }
}

} // namespace
} // namespace korvid
