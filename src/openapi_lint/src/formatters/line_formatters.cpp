// The formatters that print one line per finding.

#include <fmt/format.h>

#include <ostream>

#include "formatters.h"
#include "report_text.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

// Calls `line(issue)` for every finding in report order and returns the collected text.
template <class Line>
std::string eachIssue(const Result& result, Line line) {
    std::string text;
    for (const auto& [file, indices] : sortIssues(result)) {
        for (std::size_t index : indices) line(text, result.issues()[index]);
    }
    return text;
}

void appendProblemCount(std::string& text, const Result& result) {
    if (!result.issues().empty()) fmt::format_to(std::back_inserter(text), "\n{} problems\n", result.issues().size());
}

}  // namespace

void CompactFormatter::format(const Context& context) {
    std::string text = eachIssue(context.result(), [](std::string& out, const Issue& issue) {
        fmt::format_to(std::back_inserter(out), "{}: line {}, col {}, {} - {}. ({})\n", issue.file(), shownLine(issue),
                       shownColumn(issue), capitalisedSeverity(issue.severity()), issue.message(), issue.ruleId());
    });
    appendProblemCount(text, context.result());
    out() << text;
}

void UnixFormatter::format(const Context& context) {
    std::string text = eachIssue(context.result(), [](std::string& out, const Issue& issue) {
        fmt::format_to(std::back_inserter(out), "{}:{}:{}: {}. [{}/{}]\n", issue.file(), shownLine(issue),
                       shownColumn(issue), issue.message(), capitalisedSeverity(issue.severity()), issue.ruleId());
    });
    appendProblemCount(text, context.result());
    out() << text;
}

void VisualStudioFormatter::format(const Context& context) {
    out() << eachIssue(context.result(), [](std::string& out, const Issue& issue) {
        fmt::format_to(std::back_inserter(out), "{}({},{}): {} {} : {}.\n", issue.file(), shownLine(issue),
                       shownColumn(issue), severityToString(issue.severity()), issue.ruleId(), issue.message());
    });
}

}  // namespace zephalon::openapi_lint
