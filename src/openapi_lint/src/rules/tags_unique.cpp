#include <set>
#include <string>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

// The model keeps one tag per name, so the duplicates are only visible in the source: each tag object whose name an
// earlier one already used is reported where it stands.
void TagsUnique::run(Context& context) {
    const openapi::OpenAPI* model = context.model();
    if (isDisabled(model)) return;
    const auto tags = context.readResult()->sourceLocation(model, "tags");
    if (!tags || !tags->value->isArray()) return;
    std::set<std::string, std::less<>> seen;
    for (const jv::JV* tag : tags->value->items()) {
        const jv::JV* name = tag->isObject() ? tag->property("name") : nullptr;
        if (name == nullptr || !name->isString() || seen.emplace(name->stringValue()).second) continue;
        const auto* node = context.readResult()->nodeOf(tag);
        if (node != nullptr && isDisabled(node)) continue;
        addIssue(context, "Tag name is not unique (" + std::string(name->stringValue()) + ")", tag);
    }
}

}  // namespace zephalon::openapi_lint
