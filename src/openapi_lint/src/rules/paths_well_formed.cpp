#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

// Parameters ("{…}") are copied as they are; the text around them gets one leading "/", no runs of "/", no trailing
// "/" and lower case. The root path "/" is well-formed as it is.
std::string wellFormedPath(std::string_view path) {
    std::string result = "/";
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::size_t close = path[i] == '{' ? path.find('}', i + 1) : std::string_view::npos;
        if (close != std::string_view::npos) {
            result.append(path.substr(i, close - i + 1));
            i = close;
        } else if (path[i] != '/' || result.back() != '/') {
            result += asciiToLower(path[i]);
        }
    }
    if (result.size() > 1 && result.back() == '/') result.pop_back();
    return result;
}

namespace {

bool wellFormed(std::string_view path) { return normalizeUrl(wellFormedPath(path)) == normalizeUrl(path); }

}  // namespace

void PathsWellFormed::run(Context& context) {
    for (const auto& [path, slot] : context.model()->paths()->items()) {
        if (!wellFormed(path) && !isDisabled(slot.get(), slot->resolveNode())) {
            addIssue(context, fmt::format("Path is not well-formed {}", path), slot.get());
        }
    }
}

// A path whose well-formed spelling is taken already stays as it is (and reported): merging two path items could
// lose operations.
bool PathsWellFormed::autoFix(Context& context) {
    openapi::Paths* paths = context.model()->paths();
    std::vector<std::string> order = pathOrder(context);
    bool changed = false;
    for (std::string& path : order) {
        const openapi::Node* slot = paths->itemNode(path);
        if (wellFormed(path) || isDisabled(slot, slot->resolveNode())) continue;
        std::string fixed = wellFormedPath(path);
        if (paths->itemNode(fixed) != nullptr) continue;
        paths->replaceUrl(path, fixed);
        path = std::move(fixed);
        changed = true;
    }
    if (changed) setPathOrder(context, order);
    return changed;
}

}  // namespace zephalon::openapi_lint
