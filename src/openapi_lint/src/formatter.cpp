#include "zephalon/openapi_lint/formatter.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kDocumentationBase = "https://zephalon.dev";

}  // namespace

std::map<std::string, std::vector<std::size_t>> sortIssues(const Result& result) {
    std::map<std::string, std::vector<std::size_t>> groups;
    const Issues& issues = result.issues();
    // The findings of a file come in runs: its group is looked up again only where the file changes.
    std::vector<std::size_t>* group = nullptr;
    const std::string* groupFile = nullptr;
    for (std::size_t i = 0; i < issues.size(); ++i) {
        const std::string& file = issues[i].file();
        if (group == nullptr || file != *groupFile) {
            group = &groups[file];
            groupFile = &file;
        }
        group->push_back(i);
    }
    // Unknown positions (-1) compare as the largest unsigned numbers, so they come after every known one. Findings at
    // the same place keep the order the rules reported them in (the index breaks ties), which makes reports
    // repeatable. The keys are sorted on their own, so the sort does not reach into the findings.
    struct Key {
        std::uint64_t line;
        std::uint64_t column;
        std::size_t index;
        bool operator<(const Key& other) const {
            return std::tie(line, column, index) < std::tie(other.line, other.column, other.index);
        }
    };
    std::vector<Key> keys;
    for (auto& [file, indices] : groups) {
        keys.clear();
        keys.reserve(indices.size());
        for (std::size_t index : indices) {
            keys.push_back({static_cast<std::uint64_t>(issues[index].line()),
                            static_cast<std::uint64_t>(issues[index].column()), index});
        }
        std::sort(keys.begin(), keys.end());
        for (std::size_t i = 0; i < keys.size(); ++i) indices[i] = keys[i].index;
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
