#include "zephalon/openapi_lint/formatter.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kDocumentationBase = "https://zephalon.dev";

// A finding's place in the order of a report. Unknown positions (-1) read as the largest unsigned numbers, so they
// come after every known one.
struct Place {
    std::uint64_t line;
    std::uint64_t column;
    std::size_t index;
};

// Sorts places by line, then column, keeping the order of equal ones: a stable radix sort, a pass per byte in which
// the places differ, column bytes first. A report may hold a hundred thousand findings, which comparisons would
// sort in a score of steps each.
void sortPlaces(std::vector<Place>& places) {
    std::vector<Place> moved(places.size());
    for (std::uint64_t Place::*field : {&Place::column, &Place::line}) {
        std::uint64_t differing = 0;
        for (const Place& place : places) differing |= place.*field ^ places.front().*field;
        for (unsigned shift = 0; shift < 64; shift += 8) {
            if (((differing >> shift) & 0xFF) == 0) continue;
            const auto digit = [&](const Place& place) { return (place.*field >> shift) & 0xFF; };
            std::array<std::size_t, 256> next{};
            for (const Place& place : places) ++next[digit(place)];
            std::size_t start = 0;
            for (std::size_t& slot : next) start += std::exchange(slot, start);
            for (const Place& place : places) moved[next[digit(place)]++] = place;
            places.swap(moved);
        }
    }
}

}  // namespace

std::map<std::string, std::vector<std::size_t>> sortIssues(const Result& result) {
    std::map<std::string, std::vector<std::size_t>> groups;
    const Issues& issues = result.issues();
    // The findings of a file come in runs, most sharing one text of its name: its group is looked up again only where
    // the file changes.
    std::vector<std::size_t>* group = nullptr;
    const std::string* groupFile = nullptr;
    for (std::size_t i = 0; i < issues.size(); ++i) {
        const std::string& file = issues[i].file();
        if (group == nullptr || (&file != groupFile && file != *groupFile)) {
            group = &groups[file];
            groupFile = &file;
        }
        group->push_back(i);
    }
    // Findings at the same place keep the order the rules reported them in, which makes reports repeatable. The
    // places are sorted on their own, so the sort does not reach into the findings.
    std::vector<Place> places;
    for (auto& [file, indices] : groups) {
        places.clear();
        places.reserve(indices.size());
        for (std::size_t index : indices) {
            places.push_back({static_cast<std::uint64_t>(issues[index].line()),
                              static_cast<std::uint64_t>(issues[index].column()), index});
        }
        sortPlaces(places);
        for (std::size_t i = 0; i < places.size(); ++i) indices[i] = places[i].index;
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
