#include "zephalon/openapi_generator_client_fetch/type_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

#include "zephalon/code_morph/typescript.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/components.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi_generator/extensions.h"

namespace zephalon::openapi_generator::client_fetch {
namespace {

using openapi::Node;
using openapi::NodeType;
using openapi::Schema;
using openapi::SchemaType;

// Whether a union or an intersection is the outermost operator of a type (not one inside brackets or a literal).
bool isCompound(std::string_view type) {
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < type.size(); ++i) {
        const char c = type[i];
        if (quoted) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == '[' || c == '{' || c == '<') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}' || c == '>') {
            --depth;
        } else if (depth == 0 && (c == '|' || c == '&') && i > 0 && type[i - 1] == ' ') {
            return true;
        }
    }
    return false;
}

// Parentheses around a union or an intersection, so that it can stand inside another one or before "[]".
std::string group(const std::string& type) { return isCompound(type) ? fmt::format("({})", type) : type; }

void addUnique(std::vector<std::string>& types, std::string type) {
    if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(std::move(type));
}

std::string join(const std::vector<std::string>& parts, std::string_view glue) {
    std::string out;
    for (const auto& part : parts) {
        if (!out.empty()) out += glue;
        out += part;
    }
    return out;
}

// The enum values as literal types; nothing when one of them (an object or an array) has no literal form.
std::optional<std::string> literalUnion(const Schema& schema) {
    std::vector<std::string> literals;
    for (const auto& value : schema.enumValues()) {
        if (value->isString()) {
            addUnique(literals, toJsonLiteral(value->stringValue()));
        } else if (value->isNumber()) {
            addUnique(literals, value->numberValue().string());
        } else if (value->isBoolean()) {
            addUnique(literals, value->booleanValue() ? "true" : "false");
        } else if (value->isNull()) {
            addUnique(literals, "null");
        } else {
            return std::nullopt;
        }
    }
    return join(literals, " | ");
}

bool hasComposition(const Schema& schema) {
    return !schema.allOf().empty() || !schema.oneOf().empty() || !schema.anyOf().empty();
}

const Schema* resolvedSchema(const Node* slot) { return slot == nullptr ? nullptr : slot->resolveNodeAs<Schema>(); }

// An object with named properties and nothing else to say: written as an interface.
bool isPlainObject(const Schema& schema) {
    const auto types = schema.types();
    const bool object = types.empty() || (types.size() == 1 && types.front() == SchemaType::object);
    if (!object || schema.properties().empty() || !schema.enumValues().empty() || hasComposition(schema)) return false;
    if (!schema.patternProperties().empty()) return false;
    const Schema* additional = resolvedSchema(schema.additionalPropertiesNode());
    return schema.additionalPropertiesNode() == nullptr ||
           (additional != nullptr && (isTruthy(*additional) || isFalsy(*additional)));
}

}  // namespace

std::string NameAllocator::allocate(const std::string& base) {
    std::string name = base;
    for (unsigned suffix = 2; isTaken(name); ++suffix) name = fmt::format("{}{}", base, suffix);
    taken_.insert(name);
    return name;
}

std::string docComment(std::string_view text, std::string_view indent) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = trimRight(text.substr(start, end - start));
        replace(line, "*/", "*\\/");
        lines.push_back(std::move(line));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    if (lines.empty()) return "";
    if (lines.size() == 1) return fmt::format("{}/** {} */\n", indent, lines.front());
    std::string out = fmt::format("{}/**\n", indent);
    for (const auto& line : lines) {
        out += line.empty() ? fmt::format("{} *\n", indent) : fmt::format("{} * {}\n", indent, line);
    }
    out += fmt::format("{} */\n", indent);
    return out;
}

std::string TypeWriter::propertyKey(std::string_view name) {
    return isIdentifier(name) ? std::string(name) : toJsonLiteral(name);
}

void TypeWriter::addComponents(const openapi::OpenAPI& document) {
    const openapi::Components* components = document.components();
    if (components == nullptr) return;
    // Every component is named before any is written, so that references between them, in any order, find names.
    std::vector<std::pair<std::string, const Node*>> declared;
    for (const auto& [key, slot] : components->schemas()) {
        const Schema* schema = openapi::nodeCast<Schema>(slot.get());
        std::optional<std::string> custom;
        if (schema != nullptr) custom = extensions::generatedName(schema);
        std::string name = names_.allocate(code_morph::typescript::toTypeName(custom.value_or(key)));
        if (schema != nullptr) componentNames_.emplace(schema, name);
        declared.emplace_back(std::move(name), slot.get());
    }
    for (const auto& [name, slot] : declared) {
        const Schema* schema = openapi::nodeCast<Schema>(slot);
        if (schema == nullptr) {
            // A component that only refers to another is another name for its type.
            addAlias(name, slotType(slot, 0));
        } else if (isPlainObject(*schema)) {
            addInterface(name, objectMembers(*schema, 0), schema->description().value_or(""));
        } else {
            addAlias(name, schemaType(*schema, 0), schema->description().value_or(""));
        }
    }
}

std::string TypeWriter::typeOf(const Node* slot) { return slotType(slot, 0); }

bool TypeWriter::isStringType(const Node* slot) {
    const Schema* schema = resolvedSchema(slot);
    if (schema == nullptr || hasComposition(*schema)) return false;
    if (!schema->enumValues().empty()) {
        return std::all_of(schema->enumValues().begin(), schema->enumValues().end(),
                           [](const auto& value) { return value->isString() || value->isNull(); });
    }
    bool string = false;
    for (SchemaType type : schema->types()) {
        if (type == SchemaType::string) {
            string = true;
        } else if (type != SchemaType::null) {
            return false;
        }
    }
    return string;
}

std::string TypeWriter::slotType(const Node* slot, std::size_t depth) {
    const Schema* schema = resolvedSchema(slot);
    if (schema == nullptr) return "unknown";
    if (auto it = componentNames_.find(schema); it != componentNames_.end()) return it->second;
    return schemaType(*schema, depth);
}

std::string TypeWriter::schemaType(const Schema& schema, std::size_t depth) {
    if (depth > kMaxDepth) return "unknown";
    // A schema that contains itself without passing through a component has no name to stop at.
    if (!inProgress_.insert(&schema).second) return "unknown";
    struct Done {
        std::set<const Schema*>& set;
        const Schema* schema;
        ~Done() { set.erase(schema); }
    } done{inProgress_, &schema};

    if (isFalsy(schema)) return "never";
    std::vector<std::string> parts;
    bool literal = false;
    if (!schema.enumValues().empty()) {
        if (auto literals = literalUnion(schema)) {
            parts.push_back(*literals);
            literal = true;
        }
    }
    if (!literal) {
        std::string own = ownType(schema, depth, hasComposition(schema));
        if (!own.empty()) parts.push_back(std::move(own));
    }
    // `unknown` adds nothing to an intersection, and swallows a union: such parts (members that only require
    // properties, say) are left out.
    for (const auto& member : schema.allOf()) {
        std::string type = slotType(member.get(), depth + 1);
        if (type != "unknown") parts.push_back(std::move(type));
    }
    for (const auto* alternatives : {&schema.oneOf(), &schema.anyOf()}) {
        std::vector<std::string> types;
        for (const auto& alternative : *alternatives) addUnique(types, group(slotType(alternative.get(), depth + 1)));
        if (!types.empty() && std::find(types.begin(), types.end(), "unknown") == types.end()) {
            parts.push_back(join(types, " | "));
        }
    }

    const bool nullable = schema.hasType(SchemaType::null);
    if (parts.empty()) return nullable && schema.typeCount() == 1 ? "null" : "unknown";
    std::string type = parts.front();
    if (parts.size() > 1) {
        std::vector<std::string> grouped;
        for (const auto& part : parts) addUnique(grouped, group(part));
        type = join(grouped, " & ");
    }
    if (nullable && !literal && type != "unknown") type = fmt::format("{} | null", group(type));
    return type;
}

std::string TypeWriter::ownType(const Schema& schema, std::size_t depth, bool composed) {
    std::vector<SchemaType> types;
    for (SchemaType type : schema.types()) {
        if (type != SchemaType::null) types.push_back(type);
    }
    if (types.empty()) {
        // No type listed: what the keywords describe.
        if (!schema.properties().empty() || schema.additionalPropertiesNode() != nullptr ||
            !schema.patternProperties().empty()) {
            types.push_back(SchemaType::object);
        } else if (schema.itemsNode() != nullptr || !schema.prefixItems().empty()) {
            types.push_back(SchemaType::array);
        } else {
            return "";
        }
    }
    std::vector<std::string> alternatives;
    for (SchemaType type : types) {
        switch (type) {
            case SchemaType::string:
                addUnique(alternatives, "string");
                break;
            case SchemaType::integer:
            case SchemaType::number:
                addUnique(alternatives, "number");
                break;
            case SchemaType::boolean:
                addUnique(alternatives, "boolean");
                break;
            case SchemaType::array:
                addUnique(alternatives, arrayType(schema, depth));
                break;
            case SchemaType::object: {
                // A bare "type: object" beside allOf/oneOf adds nothing but an index signature that the members'
                // interfaces could not satisfy.
                const bool bare = schema.properties().empty() && schema.additionalPropertiesNode() == nullptr &&
                                  schema.patternProperties().empty();
                if (!(bare && composed)) addUnique(alternatives, objectType(schema, depth));
                break;
            }
            case SchemaType::null:
                break;
        }
    }
    return join(alternatives, " | ");
}

std::string TypeWriter::arrayType(const Schema& schema, std::size_t depth) {
    const Node* items = schema.itemsNode();
    if (!schema.prefixItems().empty()) {
        std::vector<std::string> elements;
        for (const auto& item : schema.prefixItems()) elements.push_back(slotType(item.get(), depth + 1));
        const Schema* rest = resolvedSchema(items);
        if (items == nullptr) {
            elements.push_back("...unknown[]");
        } else if (rest == nullptr || !isFalsy(*rest)) {
            elements.push_back(fmt::format("...{}[]", group(slotType(items, depth + 1))));
        }
        return fmt::format("[{}]", join(elements, ", "));
    }
    if (items == nullptr) return "unknown[]";
    return fmt::format("{}[]", group(slotType(items, depth + 1)));
}

std::vector<TypeWriter::Member> TypeWriter::objectMembers(const Schema& schema, std::size_t depth) {
    std::vector<Member> members;
    for (const auto& [name, slot] : schema.properties()) {
        const Schema* property = openapi::nodeCast<Schema>(slot.get());
        members.push_back(Member{name, slotType(slot.get(), depth + 1), !schema.isRequired(name),
                                 property != nullptr ? property->description().value_or("") : ""});
    }
    // A required name without a declared schema may hold any value, but must be there.
    for (const auto& name : schema.required()) {
        if (schema.propertyNode(name) == nullptr) members.push_back(Member{name, "unknown", false, ""});
    }
    return members;
}

std::string TypeWriter::objectType(const Schema& schema, std::size_t depth) {
    const std::vector<Member> members = objectMembers(schema, depth);
    const Node* additionalSlot = schema.additionalPropertiesNode();
    const Schema* additional = resolvedSchema(additionalSlot);
    const bool closed = additional != nullptr && isFalsy(*additional);
    std::vector<std::string> valueTypes;
    if (additionalSlot != nullptr && !closed && (additional == nullptr || !isTruthy(*additional))) {
        addUnique(valueTypes, slotType(additionalSlot, depth + 1));
    }
    for (const auto& [pattern, slot] : schema.patternProperties())
        addUnique(valueTypes, slotType(slot.get(), depth + 1));

    if (members.empty()) {
        if (!valueTypes.empty()) return fmt::format("Record<string, {}>", join(valueTypes, " | "));
        return closed ? "Record<string, never>" : "Record<string, unknown>";
    }
    std::vector<std::string> fields;
    bool optional = false;
    for (const auto& member : members) {
        fields.push_back(fmt::format("{}{}: {}", propertyKey(member.name), member.optional ? "?" : "", member.type));
        optional = optional || member.optional;
    }
    if (!valueTypes.empty()) {
        // Every named member must fit the index signature too.
        for (const auto& member : members) addUnique(valueTypes, group(member.type));
        if (optional) addUnique(valueTypes, "undefined");
        fields.push_back(fmt::format("[key: string]: {}", join(valueTypes, " | ")));
    }
    return fmt::format("{{ {} }}", join(fields, "; "));
}

void TypeWriter::startDeclaration(std::string_view description) {
    if (!text_.empty()) text_ += '\n';
    text_ += docComment(description);
}

void TypeWriter::addAlias(std::string_view name, std::string_view type, std::string_view description) {
    startDeclaration(description);
    text_ += fmt::format("export type {} = {};\n", name, type);
}

void TypeWriter::addInterface(std::string_view name, const std::vector<Member>& members, std::string_view description) {
    startDeclaration(description);
    text_ += fmt::format("export interface {} {{\n", name);
    for (const auto& member : members) {
        text_ += docComment(member.description, "  ");
        text_ += fmt::format("  {}{}: {};\n", propertyKey(member.name), member.optional ? "?" : "", member.type);
    }
    text_ += "}\n";
}

std::string TypeWriter::text() const { return text_.empty() ? "export {};\n" : text_; }

}  // namespace zephalon::openapi_generator::client_fetch
