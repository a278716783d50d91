#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

void PathParametersOnItems::run(Context& context) {
    for (const auto& [path, slot] : context.model()->paths()->items()) {
        const auto* item = slot->resolveNodeAs<openapi::PathItem>();
        const std::vector<std::string_view> names = pathTemplateParameters(path);
        if (item == nullptr || names.empty()) continue;
        if (!declaresPathParameters(resolvedParameters(item->parameters()), names) && !isDisabled(slot.get(), item)) {
            addIssue(context, "One or more path parameters are missing or not defined in path item", slot.get());
        }
    }
}

}  // namespace zephalon::openapi_lint
