#include "sim/update_rule.h"

namespace korvid::clientsim {
namespace {

using nlohmann::json;

// The list position a key names, or -3 when it names none.
long long Index(const json& key)
{
    return key.is_number_integer() ? key.get<long long>() : -3;
}

bool ApplyToList(json& list, long long k, const json& value)
{
    const auto size = static_cast<long long>(list.size());
    if (k == -1 || (k == -2 && value.is_array())) {
        if (k == -1)
            list.push_back(value);
        else
            list.insert(list.end(), value.begin(), value.end());
    } else if (k >= 0 && k < size && value.is_null()) {
        list.erase(list.begin() + k);
    } else if (k >= size && !value.is_null()) {
        list.push_back(value); // past the end is taken as an append too
    } else if (k >= 0 && k < size) {
        list[static_cast<std::size_t>(k)] = value;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool ApplyUpdate(json& state, const json& update)
{
    if (!update.is_array() || update.size() < 2)
        return false;
    json* at = &state;
    for (std::size_t i = 0; i + 2 < update.size(); ++i) {
        const json& key = update[i];
        if (at->is_object() && key.is_string()) {
            const auto found = at->find(key.get_ref<const std::string&>());
            if (found != at->end())
                at = &*found;
            else
                at = &((*at)[key.get_ref<const std::string&>()] =
                           update[i + 1].is_number_integer() ? json::array() : json::object());
        } else if (at->is_array() && Index(key) >= 0 &&
                   Index(key) < static_cast<long long>(at->size())) {
            at = &(*at)[static_cast<std::size_t>(Index(key))];
        } else {
            return false;
        }
    }
    const json& key = update[update.size() - 2];
    const json& value = update.back();
    if (at->is_array())
        return ApplyToList(*at, Index(key), value);
    if (!at->is_object() || !key.is_string())
        return false;
    if (value.is_null())
        at->erase(key.get_ref<const std::string&>());
    else
        (*at)[key.get_ref<const std::string&>()] = value;
    return true;
}

} // namespace korvid::clientsim
