#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// An explicit empty list ("security: []") switches security off for the operation, which is what the rule is about.
class OperationSecurityDefinedHandler : public RuleHandler<OperationSecurityDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        const auto& requirements =
            operation->inheritsSecurity() ? context().model()->security() : operation->security();
        if (requirements.empty() && !rule().isDisabled(operation))
            report("Security requirement is not defined", operation);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationSecurityDefined::createHandler(Context& context) {
    return makeKindHandler<OperationSecurityDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
