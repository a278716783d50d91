#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

// The message names the paths that stand after one that sorts behind them: where the order breaks.
void PathsSorted::run(Context& context) {
    const openapi::Paths* paths = context.model()->paths();
    const std::vector<std::string> order = pathOrder(context);
    if (std::is_sorted(order.begin(), order.end()) || isDisabled(paths)) return;
    std::vector<std::string_view> misplaced;
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (order[i] < order[i - 1]) misplaced.push_back(order[i]);
    }
    addIssue(context, fmt::format("Paths are not sorted: {}", fmt::join(misplaced, ", ")), paths);
}

bool PathsSorted::autoFix(Context& context) {
    std::vector<std::string> order = pathOrder(context);
    if (std::is_sorted(order.begin(), order.end()) || isDisabled(context.model()->paths())) return false;
    std::sort(order.begin(), order.end());
    setPathOrder(context, order);
    return true;
}

}  // namespace zephalon::openapi_lint
