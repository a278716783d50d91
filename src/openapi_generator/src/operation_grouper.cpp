#include "zephalon/openapi_generator/operation_grouper.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "zephalon/foundation/assertions.h"
#include "zephalon/foundation/naming_convention.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_generator/extensions.h"

namespace zephalon::openapi_generator {

std::string_view groupCriteriumToString(GroupingCriterium criterium) {
    switch (criterium) {
        case GroupingCriterium::tag:
            return "tag";
        case GroupingCriterium::extension:
            return "extension";
        case GroupingCriterium::url:
            return "url";
    }
    ZEPHALON_UNREACHABLE();
}

GroupingCriterium groupCriteriumFromString(std::string_view text) {
    for (auto criterium : {GroupingCriterium::tag, GroupingCriterium::extension, GroupingCriterium::url}) {
        if (groupCriteriumToString(criterium) == text) return criterium;
    }
    throw std::runtime_error(fmt::format("Unknown grouping criterium: {}", text));
}

std::optional<std::string> groupNameFromTag(const OperationInfo& info) {
    const auto& tags = info.operation->tags();
    if (tags.empty()) return std::nullopt;
    return tags.front()->name();
}

std::optional<std::string> groupNameFromExtension(const OperationInfo& info) {
    if (auto name = extensions::controllerName(info.operation)) return name;
    return extensions::controllerName(info.pathItem);
}

std::optional<std::string> groupNameFromUrl(const OperationInfo& info) {
    std::string name = toCamelCase(info.path);
    if (std::none_of(name.begin(), name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    return name;
}

void OperationGrouper::addCriterium(GroupingCriterium criterium) {
    if (std::find(criteria.begin(), criteria.end(), criterium) != criteria.end()) {
        throw std::runtime_error("Element already exists");
    }
    criteria.push_back(criterium);
}

void OperationGrouper::removeCriterium(GroupingCriterium criterium) { std::erase(criteria, criterium); }

void OperationGrouper::removeCriteriumAt(std::size_t index) {
    if (index >= criteria.size()) {
        throw std::out_of_range(
            fmt::format("No grouping criterium at index {} (there are {})", index, criteria.size()));
    }
    criteria.erase(criteria.begin() + static_cast<std::ptrdiff_t>(index));
}

void OperationGrouper::reset() {
    groups.clear();
    ungrouped.clear();
}

std::optional<std::string> OperationGrouper::groupName(const OperationInfo& info) const {
    for (auto criterium : criteria) {
        std::optional<std::string> name;
        switch (criterium) {
            case GroupingCriterium::tag:
                name = groupNameFromTag(info);
                break;
            case GroupingCriterium::extension:
                name = groupNameFromExtension(info);
                break;
            case GroupingCriterium::url:
                name = groupNameFromUrl(info);
                break;
        }
        if (name) return name;
    }
    return std::nullopt;
}

void OperationGrouper::run(const openapi::OpenAPI* document) {
    for (const OperationInfo& info : openapi::OperationIterator(document)) {
        if (skipDeprecated && info.operation->deprecated()) continue;
        if (skipDisabled && (extensions::disabled(info.operation) || extensions::disabled(info.pathItem))) continue;
        if (auto name = groupName(info)) {
            auto group = groups.find(*name);
            if (group == groups.end()) group = groups.emplace(std::move(*name), std::vector<OperationInfo>{}).first;
            group->second.push_back(info);
        } else {
            ungrouped.push_back(info);
        }
    }
}

}  // namespace zephalon::openapi_generator
