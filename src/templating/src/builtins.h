#pragma once

// The built-in functions that need nothing but their argument values, and the text form of a value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "ast.h"
#include "zephalon/templating/environment.h"

namespace zephalon::templating {

struct BuiltinSignature {
    std::string_view name;
    Builtin builtin;
    std::size_t minArgs;
    std::size_t maxArgs;
};

// The built-in function of that name, or null.
const BuiltinSignature* findBuiltin(std::string_view name);

// A function refused its arguments. The renderer adds the place of the call: "<what> at <place>, <detail>".
struct Fault {
    std::string what;
    std::string detail;
};

// "a string", "a number", "a list", …, for messages.
std::string_view describeType(const nlohmann::json& value);

// The text of a value as {{ }} writes it: a string as it is, anything else in its JSON form. The result points into
// the value, into `digits` (numbers) or into `scratch` (lists and objects).
std::string_view valueText(const nlohmann::json& value, std::array<char, 24>& digits, std::string& scratch);

// An integral number that fits a signed 64-bit integer.
bool asInteger(const nlohmann::json& value, std::int64_t& out);

// Whether a value counts as true in a condition.
bool isTrue(const nlohmann::json& value);

// Calls one of the functions that take plain values (not Default, Exists, First or Last, which the renderer
// handles); throws Fault.
nlohmann::json callBuiltin(Builtin builtin, const nlohmann::json* const* args, std::size_t argc, const Limits& limits);

}  // namespace zephalon::templating
