#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

using openapi::SchemaType;

// A bound on either side counts: the schema says something about the values it takes. Constraints of allOf members
// count as the schema's own. An enum (or const) restricts every type.
class SchemaConstraintsHandler : public RuleHandler<SchemaConstraints> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        if (schema->typeCount() == 0 || !schema->enumValues().empty()) return;
        const auto& enabled = rule().types();
        openapi::SchemaConstraints found;
        bool collected = false;
        auto constraints = [&]() -> const openapi::SchemaConstraints& {
            if (!collected) openapi::collectConstraints(*schema, found);
            collected = true;
            return found;
        };
        auto check = [&](SchemaType type, bool on, auto restricts, const char* message) {
            if (on && schema->hasType(type) && !restricts(constraints()) && !rule().isDisabled(schema)) {
                report(message, schema);
            }
        };
        const auto range = [](const openapi::SchemaConstraints& c) {
            return c.rangeConstraints.min || c.rangeConstraints.max;
        };
        check(SchemaType::integer, enabled.integer, range,
              "Integer schema does not define constraints restricting its range");
        check(SchemaType::number, enabled.number, range,
              "Numeric schema does not define constraints restricting its range");
        check(
            SchemaType::string, enabled.string,
            [&](const openapi::SchemaConstraints& c) {
                return c.lengthConstraints.min || c.lengthConstraints.max || !c.patternConstraints.empty() ||
                       schema->format() != nullptr;
            },
            "String schema does not define constraints restricting its length");
        check(
            SchemaType::array, enabled.array,
            [](const openapi::SchemaConstraints& c) {
                return c.itemCountConstraints.min || c.itemCountConstraints.max;
            },
            "Array schema does not define constraints restricting its size");
        check(
            SchemaType::object, enabled.object,
            [&](const openapi::SchemaConstraints& c) {
                const openapi::Schema* additional = schema->additionalProperties();
                return c.propertyCountConstraints.min || c.propertyCountConstraints.max ||
                       (additional != nullptr && openapi::isFalsy(*additional));
            },
            "Object schema does not define constraints restricting its size");
    }
};

}  // namespace

void SchemaConstraints::setOptions(const jv::JV& options) {
    if (!options.isObject()) throw RuleConfigurationError("Options must be an object");
    Types types{false, false, false, false, false};
    for (const auto [key, value] : options.properties()) {
        bool* flag = key == "integer"  ? &types.integer
                     : key == "number" ? &types.number
                     : key == "string" ? &types.string
                     : key == "array"  ? &types.array
                     : key == "object" ? &types.object
                                       : nullptr;
        if (flag == nullptr) throw RuleConfigurationError(fmt::format("Unknown option '{}'", key));
        if (!value->isBoolean()) throw RuleConfigurationError(fmt::format("Option '{}' must be a boolean", key));
        *flag = value->booleanValue();
    }
    if (!types.integer && !types.number && !types.string && !types.array && !types.object) {
        throw RuleConfigurationError("At least one of integer, number, string, array or object must be true");
    }
    types_ = types;
}

std::unique_ptr<openapi::NodeVisitHandler> SchemaConstraints::createHandler(Context& context) {
    return makeKindHandler<SchemaConstraintsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
