#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// A schema without a type says nothing to contradict: its format applies to values of the format's type only.
class SchemaFormatTypeMismatchHandler : public RuleHandler<SchemaFormatTypeMismatch> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        const openapi::SchemaFormat* format = schema->format();
        if (format == nullptr || schema->typeCount() == 0 || schema->hasType(format->type()) ||
            rule().isDisabled(schema)) {
            return;
        }
        report("Schema type and format do not match", schema);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaFormatTypeMismatch::createHandler(Context& context) {
    return makeKindHandler<SchemaFormatTypeMismatchHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
