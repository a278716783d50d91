#include <string>
#include <unordered_set>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

// Reported at every path after the first of its shape, in document order.
void PathsUnique::run(Context& context) {
    const openapi::Paths* paths = context.model()->paths();
    const std::vector<std::string> order = pathOrder(context);
    std::unordered_set<std::string> shapes;
    shapes.reserve(order.size());
    for (const std::string& path : order) {
        if (shapes.insert(normalizeUrl(path)).second) continue;
        const openapi::Node* slot = paths->itemNode(path);
        if (!isDisabled(slot, slot->resolveNode())) addIssue(context, "Duplicate path found", slot);
    }
}

}  // namespace zephalon::openapi_lint
