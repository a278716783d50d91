#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class PathParametersOnItemsHandler : public PathTemplateHandler<PathParametersOnItems> {
  public:
    using PathTemplateHandler::PathTemplateHandler;

  private:
    void check(const openapi::PathItem& item, const openapi::Node& slot,
               const std::vector<std::string_view>& names) override {
        if (!declaresPathParameters(resolvedParameters(item.parameters()), names) && !rule().isDisabled(&slot, &item)) {
            report("One or more path parameters are missing or not defined in path item", &slot);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> PathParametersOnItems::createHandler(Context& context) {
    return makeKindHandler<PathParametersOnItemsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
