#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class PathParametersOnItemsHandler : public RuleHandler<PathParametersOnItems> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Paths* paths) override { templates_.collect(*paths); }

    void handle(const openapi::PathItem* item) override {
        for (const PathTemplates::Entry& entry : templates_.of(item)) {
            const std::vector<std::string_view> names = pathTemplateParameters(entry.path);
            if (names.empty()) continue;
            if (!declaresPathParameters(resolvedParameters(item->parameters()), names) &&
                !rule().isDisabled(entry.slot, item)) {
                report("One or more path parameters are missing or not defined in path item", entry.slot);
            }
        }
    }

  private:
    PathTemplates templates_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> PathParametersOnItems::createHandler(Context& context) {
    return makeKindHandler<PathParametersOnItemsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
