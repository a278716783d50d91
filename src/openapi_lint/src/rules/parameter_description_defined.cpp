#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class ParameterDescriptionDefinedHandler : public RuleHandler<ParameterDescriptionDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Parameter* parameter) override {
        if (!rule().isValidDescription(parameter->description()) && !rule().isDisabled(parameter)) {
            report("Parameter '" + parameter->name() + "' has no meaningful description", parameter);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> ParameterDescriptionDefined::createHandler(Context& context) {
    return makeKindHandler<ParameterDescriptionDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
