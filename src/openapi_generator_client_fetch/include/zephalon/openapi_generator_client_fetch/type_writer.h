#pragma once

// The text of src/types.ts: one TypeScript type per component schema, then the types that the actions declare for
// their parameters, request bodies and responses.
//
//     components.schemas.Pet (object)         export interface Pet { name: string; tag?: string; }
//     enum [a, b]                             "a" | "b"
//     type [string, "null"], nullable         string | null
//     allOf [A, B] / oneOf / anyOf [A, B]     A & B / A | B
//     array of Pet, prefixItems               Pet[], [string, number]
//     additionalProperties: {type: integer}   Record<string, number>
//     $ref to a component schema              its type's name
//
// Whatever says nothing about its values (the empty schema, a reference that dangles, a cycle through schemas
// that are not components, nesting past kMaxDepth) is `unknown`; the schema `false` is `never`.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zephalon/openapi/media_type.h"

namespace zephalon::openapi {
class Node;
class OpenAPI;
class Operation;
class Response;
class Schema;
}  // namespace zephalon::openapi

namespace zephalon::openapi_generator::client_fetch {

// Names that must stay unique among everything one module of the client sees: exported types and functions, the
// helpers imported from the runtime and the globals the generated code calls.
class NameAllocator {
  public:
    void reserve(std::string_view name) { taken_.emplace(name); }
    bool isTaken(std::string_view name) const { return taken_.find(name) != taken_.end(); }
    // `base` when it is free, else the first free of base2, base3, ...
    std::string allocate(const std::string& base);

  private:
    std::set<std::string, std::less<>> taken_;
};

class TypeWriter {
  public:
    // Inline schemas nested deeper than this are `unknown`, so no document can exhaust the stack.
    static constexpr std::size_t kMaxDepth = 48;

    explicit TypeWriter(NameAllocator& names) : names_(names) {}

    // Names every component schema (its "/codegen/name" setting, else its key, as a type name) and writes its type.
    void addComponents(const openapi::OpenAPI& document);

    // The type of a schema slot (a schema or a reference to one); null is `unknown`.
    std::string typeOf(const openapi::Node* slot);
    // Whether every value of the slot's type is a string, so that it can be sent as a header as it is.
    static bool isStringType(const openapi::Node* slot);

    struct Member {
        std::string name;  // as in the document; written as propertyKey gives it
        std::string type;
        bool optional = false;
        std::string description;  // written as a documentation comment when not empty
    };

    // `export type <name> = <type>;`
    void addAlias(std::string_view name, std::string_view type, std::string_view description = "");
    // `export interface <name> { ... }`, one member per line.
    void addInterface(std::string_view name, const std::vector<Member>& members, std::string_view description = "");

    // A property key as TypeScript accepts it: the name itself when it is an identifier, else a string literal.
    static std::string propertyKey(std::string_view name);

    // The file's text ("export {};" when it declares nothing, so that it stays a module).
    std::string text() const;

  private:
    std::string slotType(const openapi::Node* slot, std::size_t depth);
    std::string schemaType(const openapi::Schema& schema, std::size_t depth);
    std::string ownType(const openapi::Schema& schema, std::size_t depth, bool composed);
    std::string objectType(const openapi::Schema& schema, std::size_t depth);
    std::string arrayType(const openapi::Schema& schema, std::size_t depth);
    std::vector<Member> objectMembers(const openapi::Schema& schema, std::size_t depth);
    void startDeclaration(std::string_view description);

    NameAllocator& names_;
    std::map<const openapi::Schema*, std::string> componentNames_;
    std::set<const openapi::Schema*> inProgress_;
    std::string text_;
};

// "application/json", "application/problem+json; charset=utf-8", ... (any letter case).
bool isJsonMediaType(std::string_view key);
// The JSON media type of a content map ("application/json" before the others), else its first entry; null when the
// map is empty.
std::pair<std::string, const openapi::MediaType*> pickMediaType(const openapi::OwnedMap<openapi::MediaType>& content);
// The response of success: the lowest 2xx status, else "2XX", else "default"; null when there is none.
const openapi::Response* successResponse(const openapi::Operation& operation);

// A documentation comment ("/** ... */" with " * " before every line), indented, ending in a line feed; "*/" in the
// text cannot end it early. Empty for an empty text.
std::string docComment(std::string_view text, std::string_view indent = "");

}  // namespace zephalon::openapi_generator::client_fetch
