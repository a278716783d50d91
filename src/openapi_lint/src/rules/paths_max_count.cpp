#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

void PathsMaxCount::setOptions(const jv::JV& options) {
    maxCount_ = positiveIntegerOption(options, "Max path count must be a positive number");
}

void PathsMaxCount::run(Context& context) {
    const openapi::Paths* paths = context.model()->paths();
    const std::size_t count = paths->items().size();
    if (count > maxCount_ && !isDisabled(paths)) {
        context.addIssue(*this, fmt::format("Too many paths found ({}), maximum number is {}", count, maxCount_),
                         paths);
    }
}

}  // namespace zephalon::openapi_lint
