#include "zephalon/openapi/extensions.h"

#include <fmt/format.h>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi::extensions {

namespace {

const jv::JV* setting(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* settings = root(node);
    if (settings == nullptr) {
        return nullptr;
    }
    try {
        return settings->find(pointer);
    } catch (const std::invalid_argument&) {
        // A token that is no index into an array names nothing.
        return nullptr;
    }
}

jv::JVPointer keyPointer(std::string_view key) { return jv::JVPointer(std::vector<std::string>{std::string(key)}); }

[[noreturn]] void missingOrWrong(const jv::JVPointer& pointer, std::string_view kind) {
    throw ExtensionError(
        fmt::format("Extension '{}' is not present or does not represent a {}", pointer.string(), kind));
}

[[noreturn]] void wrongKind(const jv::JVPointer& pointer, std::string_view kind) {
    throw ExtensionError(fmt::format("Extension '{}' does not represent a {}", pointer.string(), kind));
}

}  // namespace

const jv::JV* root(const Node& node) {
    const jv::JV* value = node.extension(rootKey);
    if (value != nullptr && !value->isObject()) {
        throw ExtensionError("Extension root is not an object");
    }
    return value;
}

bool booleanExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr || !value->isBoolean()) {
        missingOrWrong(pointer, "boolean");
    }
    return value->booleanValue();
}

bool booleanExtension(const Node& node, std::string_view key) { return booleanExtension(node, keyPointer(key)); }

std::string stringExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr || !value->isString()) {
        missingOrWrong(pointer, "string");
    }
    return std::string(value->stringValue());
}

std::string stringExtension(const Node& node, std::string_view key) { return stringExtension(node, keyPointer(key)); }

number::Number numericExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr || !value->isNumber()) {
        missingOrWrong(pointer, "number");
    }
    return value->numberValue();
}

number::Number numericExtension(const Node& node, std::string_view key) {
    return numericExtension(node, keyPointer(key));
}

std::optional<bool> optionalBooleanExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->isBoolean()) {
        wrongKind(pointer, "boolean");
    }
    return value->booleanValue();
}

std::optional<bool> optionalBooleanExtension(const Node& node, std::string_view key) {
    return optionalBooleanExtension(node, keyPointer(key));
}

std::optional<std::string> optionalStringExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->isString()) {
        wrongKind(pointer, "string");
    }
    return std::string(value->stringValue());
}

std::optional<std::string> optionalStringExtension(const Node& node, std::string_view key) {
    return optionalStringExtension(node, keyPointer(key));
}

std::optional<number::Number> optionalNumericExtension(const Node& node, const jv::JVPointer& pointer) {
    const jv::JV* value = setting(node, pointer);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->isNumber()) {
        wrongKind(pointer, "number");
    }
    return value->numberValue();
}

std::optional<number::Number> optionalNumericExtension(const Node& node, std::string_view key) {
    return optionalNumericExtension(node, keyPointer(key));
}

}  // namespace zephalon::openapi::extensions
