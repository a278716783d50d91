#include "zephalon/openapi_lint/formatter.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kDocumentationBase = "https://zephalon.dev";

// Where a finding stands in the order of a report. Unknown positions (-1) read as the largest unsigned numbers, so
// they come after every known one.
struct Place {
    std::uint64_t line;
    std::uint64_t column;
};

// Sorts indices into `places` by line, then column, keeping the order of equal ones: a stable radix sort, a pass per
// byte in which the places differ, column bytes first. A report may hold a hundred thousand findings, which
// comparisons would sort in a score of steps each.
void sortByPlace(std::vector<std::size_t>& indices, const std::vector<Place>& places) {
    std::vector<std::size_t> moved(indices.size());
    for (std::uint64_t Place::*field : {&Place::column, &Place::line}) {
        const std::uint64_t first = places[indices.front()].*field;
        std::uint64_t differing = 0;
        for (std::size_t index : indices) differing |= places[index].*field ^ first;
        for (unsigned shift = 0; shift < 64; shift += 8) {
            if (((differing >> shift) & 0xFF) == 0) continue;
            const auto digit = [&](std::size_t index) { return (places[index].*field >> shift) & 0xFF; };
            std::array<std::size_t, 256> next{};
            for (std::size_t index : indices) ++next[digit(index)];
            std::size_t start = 0;
            for (std::size_t& slot : next) start += std::exchange(slot, start);
            for (std::size_t index : indices) moved[next[digit(index)]++] = index;
            indices.swap(moved);
        }
    }
}

}  // namespace

std::map<std::string, std::vector<std::size_t>> sortIssues(const Result& result) {
    std::map<std::string, std::vector<std::size_t>> groups;
    const Issues& issues = result.issues();
    // The places of the findings, read once, in the order the findings are kept: the sort does not reach into them.
    std::vector<Place> places;
    places.reserve(issues.size());
    // The findings of a file come in runs, most sharing one text of its name: its group is looked up again only where
    // the file changes.
    std::vector<std::size_t>* group = nullptr;
    const std::string* groupFile = nullptr;
    for (const Issue& issue : issues) {
        const std::string& file = issue.file();
        if (group == nullptr || (&file != groupFile && file != *groupFile)) {
            group = &groups[file];
            groupFile = &file;
        }
        group->push_back(places.size());
        places.push_back({static_cast<std::uint64_t>(issue.line()), static_cast<std::uint64_t>(issue.column())});
    }
    // Findings at the same place keep the order the rules reported them in, which makes reports repeatable.
    for (auto& [file, indices] : groups) sortByPlace(indices, places);
    return groups;
}

std::string ruleDocUrl(std::string_view ruleId) {
    std::string url(kDocumentationBase);
    url += "/techdocs/linter/rules/";
    url += ruleId;
    return url;
}

}  // namespace zephalon::openapi_lint
