#include "paths_diff.h"

#include "containers.h"
#include "content_diff.h"
#include "parameter_diff.h"
#include "response_diff.h"
#include "security_diff.h"
#include "server_diff.h"
#include "tag_diff.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/security.h"

namespace zephalon::openapi_diff {

using openapi::Callback;
using openapi::Operation;
using openapi::PathItem;
using openapi::Paths;

namespace {

// The security requirements that apply to an operation: its own, or the document's while it has none of its own.
// An operation that stops inheriting them (`security: []` lifts authentication) changes although neither list does.
const openapi::OwnedList<openapi::SecurityRequirement>* effectiveSecurity(const Operation* operation) {
    if (operation == nullptr) return nullptr;
    const openapi::Node* root = operation->root();
    if (!operation->inheritsSecurity() || root->type() != openapi::NodeType::OpenAPI) return &operation->security();
    return &static_cast<const openapi::OpenAPI*>(root)->security();
}

}  // namespace

void PathsDiff::process(const Paths* source, const Paths* dest, Context& context) {
    compareMap<PathItem>(
        context, ConfigKey::paths, source, source != nullptr ? &source->items() : nullptr, dest,
        dest != nullptr ? &dest->items() : nullptr,
        [&](const PathItem* before, const PathItem* after) { PathItemDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

void PathItemDiff::process(const PathItem* source, const PathItem* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::pathItem_summary, source, dest, [](const PathItem& n) -> auto& { return n.summary(); });
    compareProperty(
        context, ConfigKey::pathItem_description, source, dest,
        [](const PathItem& n) -> auto& { return n.description(); });

    // Operations by method, in the model's method order: new ones, removed ones, then the others.
    auto operation = [](const PathItem* item, openapi::HttpMethod method) -> const Operation* {
        return item != nullptr ? item->operation(method) : nullptr;
    };
    for (const auto& [method, name] : openapi::operationMethods) {
        const Operation* after = operation(dest, method);
        if (after == nullptr || operation(source, method) != nullptr) continue;
        auto scope = context.enterScope(nullptr, dest, ConfigKey::pathItem_operations, name);
        OperationDiff(this).process(nullptr, after, context);
    }
    for (const auto& [method, name] : openapi::operationMethods) {
        const Operation* before = operation(source, method);
        if (before == nullptr || operation(dest, method) != nullptr) continue;
        auto scope = context.enterScope(source, nullptr, ConfigKey::pathItem_operations, name);
        OperationDiff(this).process(before, nullptr, context);
    }
    for (const auto& [method, name] : openapi::operationMethods) {
        const Operation* before = operation(source, method);
        const Operation* after = operation(dest, method);
        if (before == nullptr || after == nullptr) continue;
        auto scope = context.enterScope(source, dest, ConfigKey::pathItem_operations, name);
        OperationDiff(this).process(before, after, context);
    }

    {
        auto scope = context.enterScope(source, dest, ConfigKey::pathItem_servers);
        ServerListDiff(this).process(source, source != nullptr ? &source->servers() : nullptr, dest,
                                     dest != nullptr ? &dest->servers() : nullptr, ConfigKey::pathItem_servers,
                                     context);
    }
    {
        auto scope = context.enterScope(source, dest, ConfigKey::pathItem_parameters);
        ParameterListDiff(this).process(source, dest, context);
    }
    NodeDiff::process(source, dest, context);
}

void OperationDiff::process(const Operation* source, const Operation* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::operation_summary, source, dest, [](const Operation& n) -> auto& { return n.summary(); });
    compareProperty(
        context, ConfigKey::operation_description, source, dest,
        [](const Operation& n) -> auto& { return n.description(); });
    compareProperty(
        context, ConfigKey::operation_operationId, source, dest,
        [](const Operation& n) -> auto& { return n.operationId(); });
    {
        auto scope = context.enterScope(source, dest, ConfigKey::operation_tags);
        TagListDiff(this).process(source, dest, context);
    }
    auto docs = [](const Operation& n) -> const openapi::ExternalDocumentation* { return n.externalDocs(); };
    compareNested<ExternalDocumentationDiff>(this, context, ConfigKey::operation_externalDocs, subNode(source, docs),
                                             subNode(dest, docs));
    {
        auto scope = context.enterScope(source, dest, ConfigKey::operation_parameters);
        ParameterListDiff(this).process(source, dest, context);
    }
    auto body = [](const Operation& n) -> const openapi::RequestBody* { return n.requestBody(); };
    compareNested<RequestBodyDiff>(this, context, ConfigKey::operation_requestBody, subNode(source, body),
                                   subNode(dest, body));
    auto responses = [](const Operation& n) -> const openapi::Responses* { return n.responses(); };
    compareNested<ResponsesDiff>(this, context, ConfigKey::operation_responses, subNode(source, responses),
                                 subNode(dest, responses));
    compareMap<Callback>(
        context, ConfigKey::operation_callbacks, source, source != nullptr ? &source->callbacks() : nullptr, dest,
        dest != nullptr ? &dest->callbacks() : nullptr,
        [&](const Callback* before, const Callback* after) { CallbackDiff(this).process(before, after, context); });
    compareFlag(context, ConfigKey::operation_deprecated, source, dest, false,
                [](const Operation& n) { return n.deprecated(); });
    {
        auto scope = context.enterScope(source, dest, ConfigKey::operation_security);
        SecurityRequirementListDiff(this).process(source, effectiveSecurity(source), dest, effectiveSecurity(dest),
                                                  ConfigKey::operation_security, context);
    }
    {
        auto scope = context.enterScope(source, dest, ConfigKey::operation_servers);
        ServerListDiff(this).process(source, source != nullptr ? &source->servers() : nullptr, dest,
                                     dest != nullptr ? &dest->servers() : nullptr, ConfigKey::operation_servers,
                                     context);
    }
    NodeDiff::process(source, dest, context);
}

void CallbackDiff::process(const Callback* source, const Callback* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareMap<PathItem>(
        context, ConfigKey::callback, source, source != nullptr ? &source->items() : nullptr, dest,
        dest != nullptr ? &dest->items() : nullptr,
        [&](const PathItem* before, const PathItem* after) { PathItemDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
