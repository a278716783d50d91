#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

bool missing(const std::optional<std::string>& text) { return !text || isBlank(*text); }

}  // namespace

void InfoDefined::run(Context& context) {
    const openapi::OpenAPI* model = context.model();
    const openapi::Info* info = model->info();
    if (info == nullptr || isDisabled(info)) return;
    if (missing(info->description())) addIssue(context, "Info description is missing or empty", info);
    if (isBlank(info->version())) addIssue(context, "Info version is empty", info);
    if (model->is31() && missing(info->summary())) addIssue(context, "Info summary is missing or empty", info);
}

}  // namespace zephalon::openapi_lint
