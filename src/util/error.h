#pragma once

#include <stdexcept>
#include <string>

namespace korvid::util {

// A failure that ends what the user asked for; the text names the file and the cause.
class TError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace korvid::util
