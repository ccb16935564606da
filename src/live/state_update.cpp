#include "live/state_update.h"

#include <cstdint>

namespace korvid::live {

namespace {

using nlohmann::json;

std::string Where(std::size_t depth, const char* what)
{
    return "update key " + std::to_string(depth + 1) + ": " + what;
}

} // namespace

std::string ApplyUpdate(json& state, json& update, json** container)
{
    if (!update.is_array() || update.size() < 2)
        return "an update is a list of keys and a value";
    const std::size_t last = update.size() - 2;
    json* node = &state;
    for (std::size_t i = 0; i < last; ++i) {
        const json& key = update[i];
        if (node->is_object()) {
            if (!key.is_string())
                return Where(i, "a dictionary takes a text key");
            const auto it = node->find(key.get_ref<const std::string&>());
            if (it != node->end()) {
                node = &*it;
                continue;
            }
            node = &(*node)[key.get_ref<const std::string&>()];
            *node = update[i + 1].is_number_integer() ? json::array() : json::object();
        } else if (node->is_array()) {
            if (!key.is_number_integer())
                return Where(i, "a list takes a number");
            const std::int64_t index = key.get<std::int64_t>();
            if (index < 0 || static_cast<std::uint64_t>(index) >= node->size())
                return Where(i, "no such list element");
            node = &(*node)[static_cast<std::size_t>(index)];
        } else {
            return Where(i, "leads into a value that holds nothing");
        }
    }
    const json& key = update[last];
    json& value = update[last + 1];
    if (node->is_array()) {
        if (!key.is_number_integer())
            return Where(last, "a list takes a number");
        const std::int64_t index = key.get<std::int64_t>();
        const auto size = static_cast<std::int64_t>(node->size());
        if (index == -2) {
            if (!value.is_array())
                return Where(last, "-2 appends a list");
            for (json& element : value)
                node->push_back(std::move(element));
        } else if (index == -1) {
            node->push_back(std::move(value));
        } else if (index < 0) {
            return Where(last, "no such list element");
        } else if (value.is_null()) {
            if (index >= size)
                return Where(last, "no such list element to remove");
            node->erase(static_cast<std::size_t>(index));
        } else if (index >= size) {
            node->push_back(std::move(value));
        } else {
            (*node)[static_cast<std::size_t>(index)] = std::move(value);
        }
    } else if (node->is_object()) {
        if (!key.is_string())
            return Where(last, "a dictionary takes a text key");
        const auto& name = key.get_ref<const std::string&>();
        if (value.is_null()) {
            node->erase(name);
        } else if (const auto it = node->find(name); it != node->end()) {
            *it = std::move(value);
        } else {
            (*node)[name] = std::move(value);
        }
    } else {
        return Where(last, "leads into a value that holds nothing");
    }
    if (container != nullptr)
        *container = node;
    return {};
}

} // namespace korvid::live
