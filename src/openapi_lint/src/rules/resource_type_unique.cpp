#include <fmt/format.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

namespace {

// The property of that name, declared by the schema itself or by one of its allOf members.
const openapi::Schema* findProperty(const openapi::Schema* schema, std::string_view name) {
    const openapi::Schema* owner =
        findInAllOf(schema, [&](const openapi::Schema& next) { return next.property(name) != nullptr; });
    return owner == nullptr ? nullptr : owner->property(name);
}

// The type of the resource objects a schema models: it has the properties "type" and "id", and "type" allows one
// string (a const, or an enum of one value).
std::optional<std::string> resourceType(const openapi::Schema* schema) {
    const openapi::Schema* type = findProperty(schema, "type");
    if (type == nullptr || findProperty(schema, "id") == nullptr) return std::nullopt;
    const auto& values = type->enumValues();
    if (values.size() != 1 || !values.front()->isString()) return std::nullopt;
    return std::string(values.front()->stringValue());
}

// The names of the component schemas in document order (schemas added since, in key order, after them).
std::vector<std::string> schemaOrder(const Context& context) {
    const openapi::Components* components = context.model()->components();
    std::vector<std::string> order;
    std::set<std::string_view> listed;
    if (const openapi::OpenAPIReadResult* result = context.readResult()) {
        for (std::string_view key : result->propOrder(components, "schemas")) {
            if (components->schemas().contains(key) && listed.insert(key).second) order.emplace_back(key);
        }
    }
    for (const auto& entry : components->schemas()) {
        if (!listed.contains(entry.first)) order.push_back(entry.first);
    }
    return order;
}

}  // namespace

// Reported at every schema after the first that claims a type, in document order. A schema that is only a reference
// to another component models nothing of its own.
void ResourceTypeUnique::run(Context& context) {
    const openapi::Components* components = context.model()->components();
    if (components == nullptr) return;
    std::set<std::string, std::less<>> types;
    for (const std::string& name : schemaOrder(context)) {
        const openapi::Node* slot = components->schemaNode(name);
        const auto* schema = openapi::nodeCast<openapi::Schema>(slot);
        if (schema == nullptr) continue;
        const std::optional<std::string> type = resourceType(schema);
        if (!type || types.insert(*type).second || isDisabled(schema)) continue;
        addIssue(context, fmt::format("Resource type '{}' is defined by more than one schema", *type), schema);
    }
}

}  // namespace zephalon::openapi_lint
