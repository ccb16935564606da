#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "translation/translation.h"

namespace korvid::window {

// What the user reads when a command ends by an exception. Our own errors name the file and
// the cause; a library's text is never shown as it is: the message names the command, in the
// user's language.
[[nodiscard]] std::string FailureText(const std::exception_ptr& failure, std::string_view command,
                                      const translation::TTranslation& translation);

} // namespace korvid::window
