#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class SchemaDiscriminatorDefinedHandler : public RuleHandler<SchemaDiscriminatorDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        if (!schema->oneOf().empty() && schema->discriminator() == nullptr && !rule().isDisabled(schema)) {
            report("Schema with oneOf clause does not have a discriminator", schema);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaDiscriminatorDefined::createHandler(Context& context) {
    return makeKindHandler<SchemaDiscriminatorDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
