#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// A document of thousands of paths can break the order thousands of times; the message names the first few.
constexpr std::size_t kListedPaths = 10;

}  // namespace

// The message names the paths that stand after one that sorts behind them: where the order breaks.
void PathsSorted::run(Context& context) {
    const openapi::Paths* paths = context.model()->paths();
    const std::vector<std::string> order = pathOrder(context);
    if (std::is_sorted(order.begin(), order.end()) || isDisabled(paths)) return;
    std::vector<std::string_view> misplaced;
    std::size_t count = 0;
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (order[i] >= order[i - 1]) continue;
        if (++count <= kListedPaths) misplaced.push_back(order[i]);
    }
    std::string message = fmt::format("Paths are not sorted: {}", fmt::join(misplaced, ", "));
    if (count > kListedPaths) message += fmt::format(" and {} more", count - kListedPaths);
    addIssue(context, message, paths);
}

bool PathsSorted::autoFix(Context& context) {
    std::vector<std::string> order = pathOrder(context);
    if (std::is_sorted(order.begin(), order.end()) || isDisabled(context.model()->paths())) return false;
    std::sort(order.begin(), order.end());
    setPathOrder(context, order);
    return true;
}

}  // namespace zephalon::openapi_lint
