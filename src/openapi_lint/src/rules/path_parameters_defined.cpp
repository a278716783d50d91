#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Each operation is checked with what applies to it: its own parameters and those of its path item. A path item
// without operations is checked on its own parameters.
class PathParametersDefinedHandler : public RuleHandler<PathParametersDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Paths* paths) override { templates_.collect(*paths); }

    void handle(const openapi::PathItem* item) override {
        for (const PathTemplates::Entry& entry : templates_.of(item)) {
            const std::vector<std::string_view> names = pathTemplateParameters(entry.path);
            if (names.empty()) continue;
            if (item->operations().empty()) {
                if (!declaresPathParameters(resolvedParameters(item->parameters()), names) &&
                    !rule().isDisabled(entry.slot, item)) {
                    report("One or more path parameters are missing", entry.slot);
                }
                continue;
            }
            for (const auto& operationEntry : item->operations()) {
                const openapi::Operation* operation = operationEntry.second.get();
                if (!declaresPathParameters(operation->effectiveParameters(), names) &&
                    !rule().isDisabled(entry.slot, operation)) {
                    report("One or more path parameters are missing", operation);
                }
            }
        }
    }

  private:
    PathTemplates templates_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> PathParametersDefined::createHandler(Context& context) {
    return makeKindHandler<PathParametersDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
