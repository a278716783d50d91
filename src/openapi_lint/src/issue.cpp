#include "zephalon/openapi_lint/issue.h"

#include <stdexcept>
#include <utility>

namespace zephalon::openapi_lint {

std::string_view severityToString(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

Severity severityFromString(std::string_view text) {
    if (text == "error" || text == "err") return Severity::Error;
    if (text == "warning" || text == "warn") return Severity::Warning;
    throw std::runtime_error("Invalid severity");
}

void Result::addIssue(Issue issue) {
    const bool error = issue.severity() == Severity::Error;
    ++(error ? errorCount_ : warningCount_);
    if (issue.autoFixable()) ++(error ? fixableErrorCount_ : fixableWarningCount_);
    issues_.push_back(std::move(issue));
}

// A limit of 0 means no limit: counting it as reached would make every result, even an empty one, a failure.
bool Result::isFailure() const { return errorCount_ > 0 || (maxWarnings_ > 0 && warningCount_ >= maxWarnings_); }

}  // namespace zephalon::openapi_lint
