#pragma once

#include <span>
#include <string_view>

#include "zephalon/openapi_diff/config_key.h"

namespace zephalon::openapi_diff {

// The shape a property's setting takes in the rule configuration.
enum class PropertyKind {
    // Always present, so only a modification counts: a string or {"modify": ...}.
    requiredLeaf,
    // A string, or any of "add", "remove", "modify".
    optionalLeaf,
    // A boolean: like an optional leaf, each option may depend on the new value ({"if", "then", "else"}).
    conditionalLeaf,
    // A map or list: a string, or any of "add_item", "remove_item", "modify_item".
    container,
};

struct ConfigKeyInfo {
    ConfigKey key;
    std::string_view section;
    // The property's name in the rule table; the section's name for the container sections.
    std::string_view property;
    PropertyKind kind;
};

// Every key in enumeration order.
std::span<const ConfigKeyInfo> configKeyTable();
const ConfigKeyInfo& configKeyInfo(ConfigKey key);

}  // namespace zephalon::openapi_diff
