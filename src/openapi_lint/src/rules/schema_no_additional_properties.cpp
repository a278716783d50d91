#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Closed by "additionalProperties: false" (or, in 3.1, "unevaluatedProperties: false"). An additionalProperties
// schema that restricts the values makes the object a map on purpose and is accepted too; only an absent or
// always-true one leaves the object open to anything.
class SchemaNoAdditionalPropertiesHandler : public RuleHandler<SchemaNoAdditionalProperties> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        if (!schema->hasType(openapi::SchemaType::object)) return;
        const openapi::Schema* additional = schema->additionalProperties();
        const openapi::Schema* unevaluated = schema->unevaluatedProperties();
        if ((additional != nullptr && !openapi::isTruthy(*additional)) ||
            (unevaluated != nullptr && openapi::isFalsy(*unevaluated)) || rule().isDisabled(schema)) {
            return;
        }
        report("Object schema does not disable additional properties", schema);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaNoAdditionalProperties::createHandler(Context& context) {
    return makeKindHandler<SchemaNoAdditionalPropertiesHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
