#include "window/failure_text.h"

#include <filesystem>
#include <new>

#include "util/error.h"
#include "window/text_format.h"

namespace korvid::window {

std::string FailureText(const std::exception_ptr& failure, std::string_view command,
                        const translation::TTranslation& translation)
{
    auto message = [&](std::string_view key, std::initializer_list<TFormatArg> args) {
        return FormatText(translation.GetText("", key), args);
    };
    // Menu texts may hold the "&" of a mnemonic.
    std::string name;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (command[i] == '&') {
            if (i + 1 == command.size() || command[i + 1] != '&')
                continue;
            ++i;
        }
        name += command[i];
    }
    try {
        std::rethrow_exception(failure);
    } catch (const util::TError& e) {
        return e.what();
    } catch (const std::bad_alloc&) {
        return message("msgOutOfMemory", {name});
    } catch (const std::filesystem::filesystem_error& e) {
        return message("msgFileFailed", {name, util::FileCause(e.path1(), e.code().value())});
    } catch (...) {
        return message("msgInternalError", {name});
    }
}

} // namespace korvid::window
