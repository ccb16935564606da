#pragma once

// The v8 client's update rule: an update [key, ..., key, value] walks the keys from the root of
// the state and sets the last one.

#include <string>

#include <nlohmann/json.hpp>

namespace korvid::live {

// Applies update (an array of at least two elements; its value is moved out) to state:
//  - a missing dictionary key on the way is made a list when the next key is an integer, else a
//    dictionary;
//  - on a list, -1 appends the value, -2 appends each element of the value, an index equal to
//    (or past) the length appends, a null value removes the element and shifts the rest;
//  - on a dictionary a null value deletes the key; anything else is set.
// Returns why it could not be applied, or an empty string; a refused update changes nothing but
// the empty containers it made on its way. The reason never quotes a value: values may hold the
// passkey.
// container, when given, learns the list or dictionary the last key acted on.
[[nodiscard]] std::string ApplyUpdate(nlohmann::json& state, nlohmann::json& update,
                                      nlohmann::json** container = nullptr);

} // namespace korvid::live
