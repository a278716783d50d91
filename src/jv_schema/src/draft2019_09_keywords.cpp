#include "draft2019_09_keywords.h"

#include <fmt/format.h>

#include <algorithm>

#include "jv_access.h"
#include "url.h"

namespace zephalon::jv::schema {

using number::Number;

void markResource(SchemaContext& context, JVSchema& schema, JV const& schemaJson) {
    bool root = context.baseUrls.size() == 1 && context.baseUrls.back().path.empty();
    if (root || schemaJson.hasProperty("$id")) {
        schema.resourceUrl = std::string(url::withoutFragment(context.currentBaseUrl()));
        context.resourceStack.push_back(&schema);
        schema.enclosingResource = &schema;
    } else if (!context.resourceStack.empty()) {
        schema.enclosingResource = context.resourceStack.back();
    }
    schema.scopesEvaluation = true;
}

void endResource(SchemaContext& context, JVSchema const& schema) {
    if (!context.resourceStack.empty() && context.resourceStack.back() == &schema) context.resourceStack.pop_back();
}

// ---------------------------------------------------------------------------------------------------------------
// Anchors and dynamic references

void AnchorKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema) {
    JV const* value = schemaJson.property("$anchor");
    if (!value) return;
    if (!value->isString()) compileError("$anchor must be a string", *value);
    static Regex const name = draft4::createEcmaScriptRegex("^[A-Za-z_][-A-Za-z0-9._]*$");
    if (!name.search(value->stringValue())) {
        compileError(fmt::format("Invalid anchor: {}", value->stringValue()), *value);
    }
    context->addSchema(&schema, value->stringValue());
    keywords.push_back(std::make_unique<AnchorKeyword>());
}

void VocabularyKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("$vocabulary");
    if (!value) return;
    if (!value->isObject()) compileError("$vocabulary must be an object", *value);
    for (auto [uri, required] : value->properties()) {
        if (!required->isBoolean()) compileError("vocabulary must be a boolean", *required);
    }
    keywords.push_back(std::make_unique<VocabularyKeyword>());
}

void DeprecatedKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("deprecated");
    if (!value) return;
    if (!value->isBoolean()) compileError("deprecated must be a boolean", *value);
    keywords.push_back(std::make_unique<DeprecatedKeyword>());
}

void RecursiveAnchorKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                         JVSchema& schema) {
    JV const* value = schemaJson.property("$recursiveAnchor");
    if (!value) return;
    if (!value->isBoolean() && !value->isString()) {
        compileError("recursiveAnchor must be a boolean or a string", *value);
    }
    // Only a resource root takes part in dynamic resolution; elsewhere the flag has no effect.
    if (value->isBoolean() && value->booleanValue() && !schema.resourceUrl.empty()) {
        schema.recursiveAnchor = true;
        context->recursiveAnchors[schema.resourceUrl] = &schema;
    }
    keywords.push_back(std::make_unique<RecursiveAnchorKeyword>());
}

void DynamicRefKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                    bool recursive) {
    char const* member = recursive ? "$recursiveRef" : "$dynamicRef";
    JV const* value = schemaJson.property(member);
    if (!value) return;
    if (!value->isString()) compileError(fmt::format("{} must be a string", member), *value);
    std::string_view ref = value->stringValue();
    std::string anchor;
    if (auto hash = ref.find('#');
        !recursive && hash != std::string_view::npos && hash + 1 < ref.size() && ref[hash + 1] != '/') {
        anchor = std::string(ref.substr(hash + 1));
    }
    keywords.push_back(std::make_unique<DynamicRefKeyword>(
        context.get(), resolveMember(*value, context->currentBaseUrl()), std::move(anchor), recursive));
}

JVSchema const* DynamicRefKeyword::dynamicTarget(JVSchema const* initial, JVValidationResult const& result) const {
    if (recursive_) {
        if (!initial->recursiveAnchor) return initial;
        for (auto const& entry : result.dynamicScope) {
            if (entry.resource->recursiveAnchor) return entry.resource;
        }
        return initial;
    }
    // Only a reference that lands on a dynamic anchor of its name looks further; otherwise it is a plain one.
    if (anchor_.empty() || initial->dynamicAnchor != anchor_) return initial;
    for (auto const& entry : result.dynamicScope) {
        auto const& resources = entry.context->dynamicAnchors;
        auto anchors = resources.find(entry.resource->resourceUrl);
        if (anchors == resources.end()) continue;
        if (auto it = anchors->second.find(anchor_); it != anchors->second.end()) return it->second;
    }
    return initial;
}

bool DynamicRefKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!initial_) initial_ = lookUpReference(*context_, url_, instance, result);
    if (!initial_) return false;
    JVSchema const* target = dynamicTarget(initial_, result);
    return validateThroughReference(target, *target, url_, instance, result);
}

// ---------------------------------------------------------------------------------------------------------------
// Dependencies

void DependentRequiredKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("dependentRequired");
    if (!value) return;
    if (!value->isObject()) compileError("dependentRequired must be an object", *value);
    auto keyword = std::make_unique<DependentRequiredKeyword>();
    for (auto [key, list] : value->properties()) {
        if (!list->isArray()) compileError("dependentRequired must be an array", *list);
        auto& names = keyword->names[std::string(key)];
        for (JV const* element : list->items()) {
            if (!element->isString()) compileError("dependentRequired array must contain only strings", *list);
            names.emplace(element->stringValue());
        }
    }
    keywords.push_back(std::move(keyword));
}

bool DependentRequiredKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    bool ok = true;
    for (auto const& [key, required] : names) {
        if (!instance.hasProperty(key)) continue;
        for (auto const& name : required) {
            if (instance.hasProperty(name)) continue;
            addFormattedIssue(result, &instance, "property {} is required", name);
            ok = false;
        }
    }
    return ok;
}

void DependentSchemasKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("dependentSchemas");
    if (!value) return;
    if (!value->isObject()) compileError("dependentSchemas must be an object", *value);
    auto keyword = std::make_unique<DependentSchemasKeyword>();
    PathScope scope(*context, "dependentSchemas");
    for (auto [key, json] : value->properties()) {
        PathScope keyScope(*context, key);
        keyword->schemas.emplace(std::string(key), compileSubschema(context, *json));
    }
    keywords.push_back(std::move(keyword));
}

bool DependentSchemasKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    bool ok = true;
    for (auto const& [key, schema] : schemas) {
        if (!instance.hasProperty(key) || schema->validate(instance, result)) continue;
        addFormattedIssue(result, &instance, "property {} is invalid", key);
        ok = false;
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Unevaluated members

void UnevaluatedItemsKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("unevaluatedItems")) {
        auto keyword = std::make_unique<UnevaluatedItemsKeyword>();
        keyword->schema = compileMember(context, *value, "unevaluatedItems");
        keywords.push_back(std::move(keyword));
    }
}

bool UnevaluatedItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray() || result.allEvaluated(instance)) return true;
    auto items = instance.items();
    bool ok = true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (result.isEvaluated(instance, i)) continue;
        if (!schema->validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    if (ok) result.markAllEvaluated(instance);
    return ok;
}

void UnevaluatedPropertiesKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("unevaluatedProperties")) {
        auto keyword = std::make_unique<UnevaluatedPropertiesKeyword>();
        keyword->schema = compileMember(context, *value, "unevaluatedProperties");
        keywords.push_back(std::move(keyword));
    }
}

bool UnevaluatedPropertiesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject() || result.allEvaluated(instance)) return true;
    bool ok = true;
    std::size_t index = 0;
    for (auto [name, value] : instance.properties()) {
        if (result.isEvaluated(instance, index++)) continue;
        if (!schema->validate(*value, result)) {
            addFormattedIssue(result, &instance, "property {} is invalid", name);
            ok = false;
        }
    }
    if (ok) result.markAllEvaluated(instance);
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Array groups of the later drafts

void draft2019_09::ItemsKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* items = schemaJson.property("items");
    JV const* additional = schemaJson.property("additionalItems");
    if (!items && !additional) return;
    auto group = std::make_unique<ItemsKeywordGroup>();
    if (items) group->items = schema::ItemsKeyword::create(context, *items);
    if (additional) group->additionalItems = AdditionalItemsKeyword::create(context, *additional);
    keywords.push_back(std::move(group));
}

bool draft2019_09::ItemsKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    bool ok = schema::ItemsKeywordGroup::validate(instance, result);
    if (ok && instance.isArray() && items) {
        if (items->schema || additionalItems) {
            result.markAllEvaluated(instance);
        } else {
            result.markEvaluated(instance, 0, std::min(instance.size(), items->schemas.size()));
        }
    }
    return ok;
}

void draft2019_09::ContentKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords,
                                                    JV const& schemaJson) {
    JV const* encoding = schemaJson.property("contentEncoding");
    JV const* mediaType = schemaJson.property("contentMediaType");
    JV const* contentSchema = schemaJson.property("contentSchema");
    if (!encoding && !mediaType && !contentSchema) return;
    if (encoding && !encoding->isString()) compileError("contentEncoding must be a string", *encoding);
    if (mediaType && !mediaType->isString()) compileError("contentMediaType must be a string", *mediaType);
    auto group = std::make_unique<ContentKeywordGroup>();
    if (contentSchema) group->contentSchema = compileMember(context, *contentSchema, "contentSchema");
    keywords.push_back(std::move(group));
}

}  // namespace zephalon::jv::schema
