#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Empty segments ("//") are a malformed path, which another rule reports, not extra depth.
std::size_t depth(std::string_view path) {
    std::size_t segments = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) ++segments;
        start = end + 1;
    }
    return segments;
}

}  // namespace

void PathsMaxDepth::setOptions(const jv::JV& options) {
    maxDepth_ = positiveIntegerOption(options, "Max path depth must be a positive number");
}

void PathsMaxDepth::run(Context& context) {
    for (const auto& [path, slot] : context.model()->paths()->items()) {
        if (depth(path) > maxDepth_ && !isDisabled(slot.get(), slot->resolveNode())) {
            addIssue(context, fmt::format("Path URL is too much nested ({})", path), slot.get());
        }
    }
}

}  // namespace zephalon::openapi_lint
