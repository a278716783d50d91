#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Each operation is checked with what applies to it: its own parameters and those of its path item. A path item
// without operations is checked on its own parameters.
class PathParametersDefinedHandler : public PathTemplateHandler<PathParametersDefined> {
  public:
    using PathTemplateHandler::PathTemplateHandler;

  private:
    void check(const openapi::PathItem& item, const openapi::Node& slot,
               const std::vector<std::string_view>& names) override {
        if (item.operations().empty()) {
            if (!declaresPathParameters(resolvedParameters(item.parameters()), names) &&
                !rule().isDisabled(&slot, &item)) {
                report("One or more path parameters are missing", &slot);
            }
            return;
        }
        for (const auto& entry : item.operations()) {
            const openapi::Operation* operation = entry.second.get();
            if (!declaresPathParameters(operation->effectiveParameters(), names) &&
                !rule().isDisabled(&slot, operation)) {
                report("One or more path parameters are missing", operation);
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> PathParametersDefined::createHandler(Context& context) {
    return makeKindHandler<PathParametersDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
