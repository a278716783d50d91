#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

bool byName(const openapi::Tag* a, const openapi::Tag* b) { return a->name() < b->name(); }

bool sorted(const openapi::OpenAPI& model) {
    const auto& tags = model.tags();
    return std::is_sorted(tags.begin(), tags.end(),
                          [](const auto& a, const auto& b) { return byName(a.get(), b.get()); });
}

}  // namespace

// The message lists the tags in their document order, which shows where the order breaks.
void TagsSorted::run(Context& context) {
    const openapi::OpenAPI* model = context.model();
    if (sorted(*model) || isDisabled(model)) return;
    std::vector<std::string_view> names;
    for (const auto& tag : model->tags()) names.push_back(tag->name());
    context.addIssue(*this, fmt::format("Tags are not sorted: {}", fmt::join(names, ", ")), model);
}

bool TagsSorted::autoFix(Context& context) {
    openapi::OpenAPI* model = context.model();
    if (sorted(*model) || isDisabled(model)) return false;
    model->sortTags(byName);
    return true;
}

}  // namespace zephalon::openapi_lint
