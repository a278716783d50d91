#include "components_diff.h"

#include "containers.h"
#include "content_diff.h"
#include "example_diff.h"
#include "parameter_diff.h"
#include "paths_diff.h"
#include "response_diff.h"
#include "schema_diff.h"
#include "security_diff.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {

using openapi::Components;

namespace {

// One map of both sides' components, each entry compared by `Diff`.
template <class Diff, class T, class Get>
void compareComponents(const NodeDiff* parent, Context& context, ConfigKey key, const Components* source,
                       const Components* dest, Get get) {
    compareMap<T>(context, key, source, source != nullptr ? &get(*source) : nullptr, dest,
                  dest != nullptr ? &get(*dest) : nullptr,
                  [&](const T* before, const T* after) { Diff(parent).process(before, after, context); });
}

}  // namespace

void ComponentsDiff::process(const Components* source, const Components* dest, Context& context) {
    compareComponents<SchemaDiff, openapi::Schema>(
        this, context, ConfigKey::components_schemas, source, dest,
        [](const Components& n) -> auto& { return n.schemas(); });
    compareComponents<ResponseDiff, openapi::Response>(
        this, context, ConfigKey::components_responses, source, dest,
        [](const Components& n) -> auto& { return n.responses(); });
    compareMap<openapi::Parameter>(
        context, ConfigKey::components_parameters, source, source != nullptr ? &source->parameters() : nullptr, dest,
        dest != nullptr ? &dest->parameters() : nullptr,
        [](const openapi::Parameter& a, const openapi::Parameter& b) {
            return a.name() == b.name() && a.location() == b.location();
        },
        [&](const openapi::Parameter* before, const openapi::Parameter* after) {
            processParameter(this, before, after, context);
        });
    compareComponents<ExampleDiff, openapi::Example>(
        this, context, ConfigKey::components_examples, source, dest,
        [](const Components& n) -> auto& { return n.examples(); });
    compareComponents<RequestBodyDiff, openapi::RequestBody>(
        this, context, ConfigKey::components_requestBodies, source, dest,
        [](const Components& n) -> auto& { return n.requestBodies(); });
    compareComponents<HeaderDiff, openapi::Header>(
        this, context, ConfigKey::components_headers, source, dest,
        [](const Components& n) -> auto& { return n.headers(); });
    compareMap<openapi::SecurityScheme>(
        context, ConfigKey::components_securitySchemes, source,
        source != nullptr ? &source->securitySchemes() : nullptr, dest,
        dest != nullptr ? &dest->securitySchemes() : nullptr,
        [](const openapi::SecurityScheme& a, const openapi::SecurityScheme& b) {
            return a.schemeType() == b.schemeType();
        },
        [&](const openapi::SecurityScheme* before, const openapi::SecurityScheme* after) {
            processSecurityScheme(this, before, after, context);
        });
    compareComponents<LinkDiff, openapi::Link>(
        this, context, ConfigKey::components_links, source, dest,
        [](const Components& n) -> auto& { return n.links(); });
    compareComponents<CallbackDiff, openapi::Callback>(
        this, context, ConfigKey::components_callbacks, source, dest,
        [](const Components& n) -> auto& { return n.callbacks(); });
    compareComponents<PathItemDiff, openapi::PathItem>(
        this, context, ConfigKey::components_pathItems, source, dest,
        [](const Components& n) -> auto& { return n.pathItems(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
