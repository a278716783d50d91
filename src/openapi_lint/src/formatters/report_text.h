#pragma once

// Small pieces of text that several formatters print alike.

#include <cstdint>
#include <string>
#include <string_view>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

// The line and column a report prints: those of the issue, or 0 when it has no position.
inline std::uint64_t shownLine(const Issue& issue) {
    return issue.line() < 0 ? 0 : static_cast<std::uint64_t>(issue.line());
}
inline std::uint64_t shownColumn(const Issue& issue) {
    return issue.column() < 0 ? 0 : static_cast<std::uint64_t>(issue.column());
}

// "Error" or "Warning".
inline std::string_view capitalisedSeverity(Severity severity) {
    return severity == Severity::Error ? "Error" : "Warning";
}

// The path of a file inside the working directory relative to it, with "/" separators; any other path as it is.
std::string pathFromWorkingDirectory(const std::string& file);

}  // namespace zephalon::openapi_lint
