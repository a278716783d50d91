#include <algorithm>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

using openapi::SchemaType;

bool hasTypeOf(const openapi::Schema& schema, const jv::JV& value) {
    switch (value.type()) {
        case jv::JV::Type::Null:
            return schema.hasType(SchemaType::null);
        case jv::JV::Type::Boolean:
            return schema.hasType(SchemaType::boolean);
        case jv::JV::Type::Number:
            return schema.hasType(SchemaType::number) || (value.isInteger() && schema.hasType(SchemaType::integer));
        case jv::JV::Type::String:
            return schema.hasType(SchemaType::string);
        case jv::JV::Type::Array:
            return schema.hasType(SchemaType::array);
        case jv::JV::Type::Object:
            return schema.hasType(SchemaType::object);
    }
    return false;
}

// Once per schema: the message does not name the value, so one finding says it all.
class SchemaEnumTypesHandler : public RuleHandler<SchemaEnumTypes> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        if (schema->typeCount() == 0) return;
        const auto& values = schema->enumValues();
        if (std::all_of(values.begin(), values.end(), [&](const auto& value) { return hasTypeOf(*schema, *value); }) ||
            rule().isDisabled(schema)) {
            return;
        }
        report("Enum value type is not in the schema type", schema);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaEnumTypes::createHandler(Context& context) {
    return makeKindHandler<SchemaEnumTypesHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
