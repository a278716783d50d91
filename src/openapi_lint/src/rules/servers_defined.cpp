#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

// Servers of single paths or operations do not count: without root servers the API's own base is unknown.
void ServersDefined::run(Context& context) {
    const openapi::OpenAPI* model = context.model();
    if (model->servers().empty() && !isDisabled(model)) addIssue(context, "No servers defined", model);
}

}  // namespace zephalon::openapi_lint
