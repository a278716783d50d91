#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

using openapi::SchemaType;

// A proper format is one of the schema's own type: a number is a float or a double, an integer an int32 or an int64
// (or a custom format registered for that type).
class SchemaFormatDefinedHandler : public RuleHandler<SchemaFormatDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        const openapi::SchemaFormat* format = schema->format();
        if (schema->hasType(SchemaType::number) && (format == nullptr || format->type() != SchemaType::number) &&
            !rule().isDisabled(schema)) {
            report("Schema with number type does not define proper format", schema);
        }
        if (schema->hasType(SchemaType::integer) && (format == nullptr || format->type() != SchemaType::integer) &&
            !rule().isDisabled(schema)) {
            report("Schema with integer type does not define proper format", schema);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaFormatDefined::createHandler(Context& context) {
    return makeKindHandler<SchemaFormatDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
