#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

void TagDescriptionDefined::run(Context& context) {
    for (const auto& tag : context.model()->tags()) {
        if (!isValidDescription(tag->description()) && !isDisabled(tag.get())) {
            addIssue(context, fmt::format("Tag '{}' has no meaningful description defined", tag->name()), tag.get());
        }
    }
}

}  // namespace zephalon::openapi_lint
