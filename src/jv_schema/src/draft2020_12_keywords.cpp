#include "draft2020_12_keywords.h"

#include <fmt/format.h>

#include <algorithm>

#include "jv_access.h"
#include "url.h"

namespace zephalon::jv::schema {

using number::Number;

void DynamicAnchorKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                       JVSchema& schema) {
    JV const* value = schemaJson.property("$dynamicAnchor");
    if (!value) return;
    if (!value->isString()) compileError("$dynamicAnchor must be a string", *value);
    std::string name(value->stringValue());
    // A dynamic anchor is a plain anchor as well.
    context->addSchema(&schema, name);
    schema.dynamicAnchor = name;
    context->dynamicAnchors[std::string(url::withoutFragment(context->currentBaseUrl()))][name] = &schema;
    keywords.push_back(std::make_unique<DynamicAnchorKeyword>());
}

bool draft2020_12::PrefixItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    bool ok = validateTuple(schemas, instance, result);
    std::size_t covered = std::min(instance.size(), schemas.size());
    result.addAnnotation(&instance, "prefixItemsCount", std::make_unique<PrefixItemsCountAnnotation>(covered));
    return ok;
}

bool draft2020_12::ItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t start = 0;
    if (auto const* count =
            dynamic_cast<PrefixItemsCountAnnotation const*>(result.findAnnotation(&instance, "prefixItemsCount"))) {
        start = count->count;
    }
    return validateElements(*schema, instance, start, result);
}

void draft2020_12::ItemsKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* prefix = schemaJson.property("prefixItems");
    JV const* items = schemaJson.property("items");
    if (!prefix && !items) return;
    auto group = std::make_unique<ItemsKeywordGroup>();
    if (prefix) {
        if (!prefix->isArray()) compileError("prefixItems must be an array", *prefix);
        group->prefixItems = std::make_unique<PrefixItemsKeyword>();
        PathScope scope(*context, "prefixItems");
        std::size_t index = 0;
        for (JV const* element : prefix->items()) {
            PathScope indexScope(*context, index++);
            group->prefixItems->schemas.push_back(compileSubschema(context, *element));
        }
    }
    if (items) {
        if (!items->isObject() && !items->isBoolean()) compileError("items schema must be an object", *items);
        group->items = std::make_unique<ItemsKeyword>();
        group->items->schema = compileMember(context, *items, "items");
    }
    keywords.push_back(std::move(group));
}

bool draft2020_12::ItemsKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray()) return true;
    result.removeAnnotation(&instance, "prefixItemsCount");
    bool ok = true;
    if (prefixItems) ok = prefixItems->validate(instance, result);
    if (items) ok = items->validate(instance, result) && ok;
    if (ok) {
        std::size_t covered = items ? instance.size() : std::min(instance.size(), prefixItems->schemas.size());
        result.markEvaluated(instance, 0, covered);
    }
    return ok;
}

}  // namespace zephalon::jv::schema
