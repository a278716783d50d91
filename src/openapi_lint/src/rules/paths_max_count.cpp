#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

void PathsMaxCount::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (!options.isNumber()) throw RuleConfigurationError("Options must be a number");
    const number::Number& value = options.numberValue();
    if (!value.isInteger() || value <= number::Number(0) || value > number::Number(UINT64_MAX)) {
        throw RuleConfigurationError("Max path count must be a positive number");
    }
    maxCount_ = value.toULong();
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
