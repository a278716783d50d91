#pragma once

#include <string_view>

namespace zephalon::openapi_format {

// The kind of OpenAPI object found at a JSON Pointer ("operation", "schema", ...), or "" when the pointer names no
// object with a configurable key order. The kind follows from the pointer alone: its last tokens and the kinds of
// its parent and grandparent. Schemas nested inside schemas, and maps such as "/paths" or a schema's
// "properties", have no kind.
std::string_view jpointerToConfigKey(std::string_view pointer);

}  // namespace zephalon::openapi_format
