#include "zephalon/openapi_generator/issue.h"

#include <fmt/format.h>

#include <algorithm>
#include <iostream>
#include <tuple>

#include "zephalon/foundation/assertions.h"
#include "zephalon/foundation/term_color.h"

namespace zephalon::openapi_generator {

std::string_view issueSeverityToString(IssueSeverity severity) {
    switch (severity) {
        case IssueSeverity::Info:
            return "Info";
        case IssueSeverity::Warning:
            return "Warning";
        case IssueSeverity::Error:
            return "Error";
        case IssueSeverity::Fatal:
            return "Fatal";
    }
    ZEPHALON_UNREACHABLE("an issue severity outside the enumeration");
}

bool operator<(const Issue& a, const Issue& b) {
    return std::tie(a.file, a.pos.line, a.pos.column, a.severity) <
           std::tie(b.file, b.pos.line, b.pos.column, b.severity);
}

namespace {

// "line:column", with the file in front for a position in another file than the input document.
std::string positionText(const Issue& issue) {
    if (issue.file.empty()) return fmt::format("{}:{}", issue.pos.line, issue.pos.column);
    return fmt::format("{}:{}:{}", issue.file, issue.pos.line, issue.pos.column);
}

}  // namespace

void print(const std::vector<Issue>& issues) { print(issues, std::cout); }

void print(const std::vector<Issue>& issues, std::ostream& out) {
    std::vector<Issue> sorted = issues;
    std::stable_sort(sorted.begin(), sorted.end());
    std::size_t positionWidth = 0;
    std::size_t severityWidth = 0;
    for (const Issue& issue : sorted) {
        positionWidth = std::max(positionWidth, positionText(issue).size());
        severityWidth = std::max(severityWidth, issueSeverityToString(issue.severity).size());
    }
    for (const Issue& issue : sorted) {
        int colour = terminal::white;
        if (issue.severity == IssueSeverity::Warning) colour = terminal::yellow;
        if (issue.severity == IssueSeverity::Error || issue.severity == IssueSeverity::Fatal) colour = terminal::red;
        out << terminal::TermColorSetter(colour)
            << fmt::format("{:<{}} {:<{}} {}", positionText(issue), positionWidth,
                           issueSeverityToString(issue.severity), severityWidth, issue.message)
            << terminal::TermColorSetter() << '\n';
    }
}

}  // namespace zephalon::openapi_generator
