#include "openapi_diff.h"

#include "info_diff.h"
#include "zephalon/openapi/info.h"

namespace zephalon::openapi_diff {

using openapi::OpenAPI;

void OpenAPIDiff::process(const OpenAPI* source, const OpenAPI* dest, Context& context) {
    // The root has no change of its own: its fields are reported outside any scope.
    compareProperty(
        context, ConfigKey::openapi_openapi, source, dest, [](const OpenAPI& n) -> auto& { return n.specVersion(); });
    {
        const openapi::Info* before = source != nullptr ? source->info() : nullptr;
        const openapi::Info* after = dest != nullptr ? dest->info() : nullptr;
        auto scope = context.enterScope(before, after, ConfigKey::openapi_info);
        InfoDiff(this).process(before, after, context);
    }
    compareProperty(
        context, ConfigKey::openapi_jsonSchemaDialect, source, dest,
        [](const OpenAPI& n) -> auto& { return n.jsonSchemaDialect(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
