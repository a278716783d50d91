#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class OperationDescriptionDefinedHandler : public RuleHandler<OperationDescriptionDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        if (!rule().isValidDescription(operation->description()) && !rule().isDisabled(operation)) {
            report("Operation has no meaningful description", operation);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationDescriptionDefined::createHandler(Context& context) {
    return makeKindHandler<OperationDescriptionDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
