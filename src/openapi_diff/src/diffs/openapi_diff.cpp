#include "openapi_diff.h"

#include "components_diff.h"
#include "containers.h"
#include "info_diff.h"
#include "paths_diff.h"
#include "security_diff.h"
#include "server_diff.h"
#include "tag_diff.h"
#include "zephalon/openapi/components.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {

using openapi::OpenAPI;

void OpenAPIDiff::process(const OpenAPI* source, const OpenAPI* dest, Context& context) {
    // The root has no change of its own: its fields are reported outside any scope.
    compareProperty(
        context, ConfigKey::openapi_openapi, source, dest, [](const OpenAPI& n) -> auto& { return n.specVersion(); });
    auto info = [](const OpenAPI& n) -> const openapi::Info* { return n.info(); };
    compareNested<InfoDiff>(this, context, ConfigKey::openapi_info, subNode(source, info), subNode(dest, info));
    compareProperty(
        context, ConfigKey::openapi_jsonSchemaDialect, source, dest,
        [](const OpenAPI& n) -> auto& { return n.jsonSchemaDialect(); });
    {
        auto scope = context.enterScope(source, dest, ConfigKey::openapi_servers);
        ServerListDiff(this).process(source, source != nullptr ? &source->servers() : nullptr, dest,
                                     dest != nullptr ? &dest->servers() : nullptr, ConfigKey::openapi_servers, context);
    }
    auto paths = [](const OpenAPI& n) -> const openapi::Paths* { return n.paths(); };
    compareNested<PathsDiff>(this, context, ConfigKey::openapi_paths, subNode(source, paths), subNode(dest, paths));
    {
        auto scope = context.enterScope(source, dest, ConfigKey::openapi_webhooks);
        compareMap<openapi::PathItem>(context, ConfigKey::openapi_webhooks, source,
                                      source != nullptr ? &source->webhooks() : nullptr, dest,
                                      dest != nullptr ? &dest->webhooks() : nullptr,
                                      [&](const openapi::PathItem* before, const openapi::PathItem* after) {
                                          PathItemDiff(this).process(before, after, context);
                                      });
    }
    auto components = [](const OpenAPI& n) -> const openapi::Components* { return n.components(); };
    compareNested<ComponentsDiff>(this, context, ConfigKey::openapi_components, subNode(source, components),
                                  subNode(dest, components));
    {
        auto scope = context.enterScope(source, dest, ConfigKey::openapi_security);
        SecurityRequirementListDiff(this).process(source, source != nullptr ? &source->security() : nullptr, dest,
                                                  dest != nullptr ? &dest->security() : nullptr,
                                                  ConfigKey::openapi_security, context);
    }
    {
        auto scope = context.enterScope(source, dest, ConfigKey::openapi_tags);
        TagListDiff(this).process(source, dest, context);
    }
    auto docs = [](const OpenAPI& n) -> const openapi::ExternalDocumentation* { return n.externalDocs(); };
    compareNested<ExternalDocumentationDiff>(this, context, ConfigKey::openapi_externalDocs, subNode(source, docs),
                                             subNode(dest, docs));
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
