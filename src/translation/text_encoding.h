#pragma once

#include <string>
#include <string_view>

namespace korvid::translation {

// Well-formed UTF-8 only: no overlong forms, no surrogates, nothing above U+10FFFF.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// Every byte maps: the five bytes the code page leaves undefined become the C1 controls of the
// same value, as Windows and the WHATWG index do.
[[nodiscard]] std::string Windows1252ToUtf8(std::string_view bytes);

// Language files are UTF-8 when they are valid UTF-8, and otherwise text written for the
// Windows-1252 code page. A UTF-8 byte-order mark at the start is dropped. The result is UTF-8.
[[nodiscard]] std::string DecodeLanguageBytes(std::string_view bytes);

} // namespace korvid::translation
