#include "zephalon/openapi_lint/formatter.h"

#include <algorithm>
#include <cstdint>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kDocumentationBase = "https://zephalon.dev";

}  // namespace

std::map<std::string, std::vector<std::size_t>> sortIssues(const Result& result) {
    std::map<std::string, std::vector<std::size_t>> groups;
    const std::vector<Issue>& issues = result.issues();
    for (std::size_t i = 0; i < issues.size(); ++i) groups[issues[i].file()].push_back(i);
    // Unknown positions (-1) compare as the largest unsigned numbers, so they come after every known one. A stable
    // sort keeps findings at the same place in the order the rules reported them, which makes reports repeatable.
    for (auto& [file, indices] : groups) {
        std::stable_sort(indices.begin(), indices.end(), [&](std::size_t a, std::size_t b) {
            const auto lineA = static_cast<std::uint64_t>(issues[a].line());
            const auto lineB = static_cast<std::uint64_t>(issues[b].line());
            if (lineA != lineB) return lineA < lineB;
            return static_cast<std::uint64_t>(issues[a].column()) < static_cast<std::uint64_t>(issues[b].column());
        });
    }
    return groups;
}

std::string ruleDocUrl(std::string_view ruleId) {
    std::string url(kDocumentationBase);
    url += "/techdocs/linter/rules/";
    url += ruleId;
    return url;
}

}  // namespace zephalon::openapi_lint
