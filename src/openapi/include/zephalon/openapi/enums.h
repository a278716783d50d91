#pragma once

// Enumerations shared by several node classes, with their document spellings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace zephalon::openapi {

// The operation keys of a path item, in the order in which the model keeps and walks them.
enum class HttpMethod : std::uint8_t { get, put, post, delete_, options, head, patch, trace };

inline constexpr std::array<std::pair<HttpMethod, std::string_view>, 8> operationMethods{{
    {HttpMethod::get, "get"},
    {HttpMethod::put, "put"},
    {HttpMethod::post, "post"},
    {HttpMethod::delete_, "delete"},
    {HttpMethod::options, "options"},
    {HttpMethod::head, "head"},
    {HttpMethod::patch, "patch"},
    {HttpMethod::trace, "trace"},
}};

// Throws std::runtime_error "invalid operation key {}" for a value outside the enumeration.
std::string_view operationMethodToString(HttpMethod method);
bool isValidOperationMethod(std::string_view text);
// The method for a lower-case operation key, or nothing.
std::optional<HttpMethod> operationMethodFromString(std::string_view text);

// JSON Schema instance types, in the order of their four-bit codes.
enum class SchemaType : std::uint8_t { null, boolean, object, array, number, string, integer };

inline constexpr std::size_t schemaTypeCount = 7;

std::string_view schemaTypeToString(SchemaType type);
// Throws std::runtime_error "Invalid schema type" for any other text.
SchemaType schemaTypeFromString(std::string_view text);

}  // namespace zephalon::openapi
