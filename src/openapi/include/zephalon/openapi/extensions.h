#pragma once

// The program's own settings on any node, kept in the vendor extension "x-zephalon". Settings are addressed by a
// JSON Pointer into that object, or by a plain key (a one-segment pointer).

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zephalon/jv/jv.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/number/number.h"

namespace zephalon::openapi {
class Node;
}

namespace zephalon::openapi::extensions {

class ExtensionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view rootKey = "x-zephalon";

// The "x-zephalon" value of the node; null when absent. Throws ExtensionError "Extension root is not an object" when
// it is present but not an object.
const jv::JV* root(const Node& node);

// Required settings: throw ExtensionError "Extension '{}' is not present or does not represent a boolean" (string,
// number) when the setting is missing or of another kind.
bool booleanExtension(const Node& node, const jv::JVPointer& pointer);
bool booleanExtension(const Node& node, std::string_view key);
std::string stringExtension(const Node& node, const jv::JVPointer& pointer);
std::string stringExtension(const Node& node, std::string_view key);
number::Number numericExtension(const Node& node, const jv::JVPointer& pointer);
number::Number numericExtension(const Node& node, std::string_view key);

// Optional settings: nothing when missing; ExtensionError "Extension '{}' does not represent a boolean" (string,
// number) when of another kind.
std::optional<bool> optionalBooleanExtension(const Node& node, const jv::JVPointer& pointer);
std::optional<bool> optionalBooleanExtension(const Node& node, std::string_view key);
std::optional<std::string> optionalStringExtension(const Node& node, const jv::JVPointer& pointer);
std::optional<std::string> optionalStringExtension(const Node& node, std::string_view key);
std::optional<number::Number> optionalNumericExtension(const Node& node, const jv::JVPointer& pointer);
std::optional<number::Number> optionalNumericExtension(const Node& node, std::string_view key);

}  // namespace zephalon::openapi::extensions
