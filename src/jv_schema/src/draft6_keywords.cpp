#include "draft6_keywords.h"

#include <fmt/format.h>

#include "jv_access.h"

namespace zephalon::jv::schema {

using number::Number;

// ---------------------------------------------------------------------------------------------------------------
// Identification, bounds and annotations

bool draft6::IdKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                    JVSchema& schema) {
    JV const* value = schemaJson.property("$id");
    if (!value) return false;
    bool pushed = beginIdentifier(*context, schema, schemaJson, "$id");
    keywords.push_back(std::make_unique<IdKeyword>(std::string(value->stringValue())));
    return pushed;
}

void draft6::MinimumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("minimum")) {
        keywords.push_back(std::make_unique<schema::MinimumKeyword>(numberValue(*value, "minimum"), false));
    }
}

void draft6::MaximumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("maximum")) {
        keywords.push_back(std::make_unique<schema::MaximumKeyword>(numberValue(*value, "maximum"), false));
    }
}

void ExclusiveMinimumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("exclusiveMinimum")) {
        keywords.push_back(std::make_unique<ExclusiveMinimumKeyword>(numberValue(*value, "exclusiveMinimum")));
    }
}

bool ExclusiveMinimumKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isNumber() || instance.numberValue().compare(limit) == 1) return true;
    result.addIssue("value is not greater than exclusive minimum", &instance);
    return false;
}

void ExclusiveMaximumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("exclusiveMaximum")) {
        keywords.push_back(std::make_unique<ExclusiveMaximumKeyword>(numberValue(*value, "exclusiveMaximum")));
    }
}

bool ExclusiveMaximumKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isNumber() || instance.numberValue().compare(limit) == -1) return true;
    result.addIssue("value is not less than exclusive maximum", &instance);
    return false;
}

void ExamplesKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("examples");
    if (!value) return;
    if (!value->isArray()) compileError("examples must be an array", *value);
    keywords.push_back(std::make_unique<ExamplesKeyword>());
}

void ConstKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("const"))
        keywords.push_back(std::make_unique<ConstKeyword>(value->clone()));
}

bool ConstKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (value->type() == instance.type() && value->equal(instance)) return true;
    result.addIssue("value does not match const", &instance);
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Arrays and objects

bool ContainsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t matched = 0;
    auto items = instance.items();
    {
        // Elements that do not match are expected; their failures say nothing about the array.
        JVValidationResult::Muted muted(result);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!schema->validate(*items[i], result)) continue;
            ++matched;
            if (recordEvaluated) result.markEvaluated(instance, i);
        }
    }
    result.addAnnotation(&instance, "contains", std::make_unique<ContainsAnnotation>(matched));
    return true;
}

bool MinContainsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    auto const* count = dynamic_cast<ContainsAnnotation const*>(result.findAnnotation(&instance, "contains"));
    if (count && count->count >= limit) return true;
    result.addIssue("array does not contain enough items matching schema", &instance);
    return false;
}

bool MaxContainsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    auto const* count = dynamic_cast<ContainsAnnotation const*>(result.findAnnotation(&instance, "contains"));
    if (!count || count->count <= limit) return true;
    result.addIssue("array contains too many items matching schema", &instance);
    return false;
}

void ContainsKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                       bool withBounds, bool recordEvaluated) {
    JV const* contains = schemaJson.property("contains");
    if (!contains) return;
    auto group = std::make_unique<ContainsKeywordGroup>();
    group->contains = std::make_unique<ContainsKeyword>();
    group->contains->schema = compileMember(context, *contains, "contains");
    group->contains->recordEvaluated = recordEvaluated;
    std::uint64_t minimum = 1;
    if (withBounds) {
        if (JV const* value = schemaJson.property("minContains")) {
            minimum = countValue(*value, "minContains", "minContains value cannot be negative");
        }
        if (JV const* value = schemaJson.property("maxContains")) {
            group->maxContains = std::make_unique<MaxContainsKeyword>(
                countValue(*value, "maxContains", "maxContains value cannot be negative"));
        }
    }
    group->minContains = std::make_unique<MinContainsKeyword>(minimum);
    keywords.push_back(std::move(group));
}

bool ContainsKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray()) return true;
    contains->validate(instance, result);
    bool ok = minContains->validate(instance, result);
    if (maxContains) ok = maxContains->validate(instance, result) && ok;
    return ok;
}

void PropertyNamesKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("propertyNames");
    if (!value) return;
    auto keyword = std::make_unique<PropertyNamesKeyword>();
    keyword->schema = compileMember(context, *value, "propertyNames");
    keywords.push_back(std::move(keyword));
}

bool PropertyNamesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    bool ok = true;
    for (auto [name, value] : instance.properties()) {
        // The name has no node of its own in the document; the issues it causes are reported at the object.
        JV nameValue(name);
        nameValue.pos = instance.pos;
        if (!schema->validate(nameValue, result)) {
            addFormattedIssue(result, &instance, "property name {} is invalid", name);
            ok = false;
        }
        // Annotations keyed by the temporary name value would dangle once it is gone. They sort by instance
        // first, so they form one range.
        auto it = result.annotations.lower_bound(std::pair<JV const*, std::string_view>(&nameValue, ""));
        while (it != result.annotations.end() && it->first.instance == &nameValue) it = result.annotations.erase(it);
    }
    return ok;
}

}  // namespace zephalon::jv::schema
