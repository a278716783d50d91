#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zephalon::openapi_format {

// The kind of OpenAPI object found at a JSON Pointer ("operation", "schema", ...), or "" when the pointer names no
// object with a configurable key order. The kind follows from the pointer alone: its last tokens and the kinds of
// its parent and grandparent. Schemas nested inside schemas, and maps such as "/paths" or a schema's
// "properties", have no kind.
std::string_view jpointerToConfigKey(std::string_view pointer);

// The same recognition one step at a time, for code that walks a tree from its root: a place holds what the
// recognisers need to know of a node to find the kinds of its children.
using KindPlace = std::uint64_t;
KindPlace rootKindPlace();
// The place of the member under `key` (raw or escaped, it makes no difference) of the node at `parent`.
KindPlace childKindPlace(KindPlace parent, std::string_view key);
// The place of an element of the array at `parent`.
KindPlace elementKindPlace(KindPlace parent);

// Kinds are numbered 0 (no kind) to kKindCount - 1.
inline constexpr std::size_t kKindCount = 26;
std::size_t kindIndex(KindPlace place);
// The kind's name, "" for 0.
std::string_view kindNameAt(std::size_t index);

}  // namespace zephalon::openapi_format
