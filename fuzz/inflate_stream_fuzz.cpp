// Any bytes as a history stream: either refused with a reason, or N bytes that deflate and
// inflate back to themselves. Also any bytes as a history text: saved form inflates to it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "history/compressed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvid::history;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const auto result = TryInflateStream(input);
    switch (result.Outcome) {
    case TInflate::Inflated:
        if (result.Bytes.size() > MaxHistoBytes || !result.Error.empty())
            std::abort();
        if (TryInflateStream(DeflateStream(result.Bytes)).Bytes != result.Bytes)
            std::abort();
        break;
    case TInflate::Damaged:
    case TInflate::TooLarge:
        if (result.Error.empty() || !result.Bytes.empty())
            std::abort();
        break;
    }

    const auto back = TryInflateStream(DeflateStream(input));
    if (back.Outcome != TInflate::Inflated || back.Bytes != input)
        std::abort();
    return 0;
}
