#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

// Each operation is checked with what applies to it: its own parameters and those of its path item. A path item
// without operations is checked on its own parameters.
void PathParametersDefined::run(Context& context) {
    for (const auto& [path, slot] : context.model()->paths()->items()) {
        const auto* item = slot->resolveNodeAs<openapi::PathItem>();
        const std::vector<std::string_view> names = pathTemplateParameters(path);
        if (item == nullptr || names.empty()) continue;
        if (item->operations().empty()) {
            if (!declaresPathParameters(resolvedParameters(item->parameters()), names) &&
                !isDisabled(slot.get(), item)) {
                addIssue(context, "One or more path parameters are missing", slot.get());
            }
            continue;
        }
        for (const auto& entry : item->operations()) {
            const openapi::Operation* operation = entry.second.get();
            if (!declaresPathParameters(operation->effectiveParameters(), names) &&
                !isDisabled(slot.get(), operation)) {
                addIssue(context, "One or more path parameters are missing", operation);
            }
        }
    }
}

}  // namespace zephalon::openapi_lint
