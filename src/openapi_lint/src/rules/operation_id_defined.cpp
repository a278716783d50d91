#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Operations of paths, webhooks and callbacks alike.
class OperationIdDefinedHandler : public RuleHandler<OperationIdDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        if (!operation->operationId() && !rule().isDisabled(operation)) {
            report("Operation ID is not defined", operation);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationIdDefined::createHandler(Context& context) {
    return makeKindHandler<OperationIdDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
