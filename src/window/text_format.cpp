#include "window/text_format.h"

namespace korvid::window {

std::string FormatText(std::string_view pattern, std::initializer_list<TFormatArg> args)
{
    std::string text;
    text.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char kind = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c != '%' || (kind != 'd' && kind != 's' && kind != '%')) {
            text += c;
            continue;
        }
        ++i;
        if (kind == '%') {
            text += '%';
        } else if (next == args.end()) {
            text += '%';
            text += kind;
        } else {
            if (const auto* number = std::get_if<long long>(&*next))
                text += std::to_string(*number);
            else
                text += std::get<std::string>(*next);
            ++next;
        }
    }
    return text;
}

} // namespace korvid::window
