#include "later_keywords.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "jv_access.h"
#include "url.h"
#include "zephalon/foundation/base64.h"

namespace zephalon::jv::schema {

using number::Number;

namespace {

void dropIssuesSince(JVValidationResult& result, std::size_t mark) {
    if (result.issues.size() > mark)
        result.issues.erase(result.issues.begin() + static_cast<std::ptrdiff_t>(mark), result.issues.end());
}

Number const& numberValue(JV const& value, std::string_view keyword) {
    if (!value.isNumber()) compileError(fmt::format("{} value must be a number", keyword), value);
    return value.numberValue();
}

std::uint64_t countValue(JV const& value, std::string_view keyword, char const* negativeMessage) {
    if (!value.isNumber()) compileError(fmt::format("{} value must be a number", keyword), value);
    auto const& n = value.numberValue();
    if (n.compare(Number(0)) == -1) compileError(negativeMessage, value);
    if (!n.isInteger()) compileError(fmt::format("{} value must be an integer", keyword), value);
    static Number const largest(std::numeric_limits<std::uint64_t>::max());
    if (n.compare(largest) == 1) return std::numeric_limits<std::uint64_t>::max();
    return n.toULong();
}

std::unique_ptr<JVSchema> compileMember(ContextPtr const& context, JV const& value, std::string_view keyword) {
    if (!value.isObject() && !value.isBoolean()) {
        compileError(fmt::format("{} must be an object or a boolean", keyword), value);
    }
    PathScope scope(*context, keyword);
    return compileSubschema(context, value);
}

}  // namespace

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

void CommentKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("$comment");
    if (!value) return;
    if (!value->isString()) compileError("$comment must be a string", *value);
    keywords.push_back(std::make_unique<CommentKeyword>());
}

void ReadOnlyKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("readOnly");
    if (!value) return;
    if (!value->isBoolean()) compileError("readOnly must be a boolean", *value);
    keywords.push_back(std::make_unique<ReadOnlyKeyword>());
}

void WriteOnlyKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("writeOnly");
    if (!value) return;
    if (!value->isBoolean()) compileError("writeOnly must be a boolean", *value);
    keywords.push_back(std::make_unique<WriteOnlyKeyword>());
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
    std::size_t mark = result.issues.size();
    std::size_t matched = 0;
    auto items = instance.items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!schema->validate(*items[i], result)) continue;
        ++matched;
        if (recordEvaluated) markEvaluatedIndices(result, instance, i, i + 1);
    }
    // Elements that do not match are expected; their failures say nothing about the array.
    dropIssuesSince(result, mark);
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
            result.addIssue(fmt::format("property name {} is invalid", name), &instance);
            ok = false;
        }
        // Annotations keyed by the temporary name value would dangle once it is gone. They sort by instance
        // first, so they form one range.
        auto it = result.annotations.lower_bound(std::pair<JV const*, std::string_view>(&nameValue, ""));
        while (it != result.annotations.end() && it->first.instance == &nameValue) it = result.annotations.erase(it);
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Conditionals

bool IfKeyword::validate(JV const& instance, JVValidationResult& result) const {
    // "if" is a question, not a demand: its failures are not findings about the instance.
    std::size_t mark = result.issues.size();
    bool ok = schema->validate(instance, result);
    dropIssuesSince(result, mark);
    return ok;
}

bool ThenKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (schema->validate(instance, result)) return true;
    result.addIssue("values does not match the then schema", &instance);
    return false;
}

bool ElseKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (schema->validate(instance, result)) return true;
    result.addIssue("values does not match the else schema", &instance);
    return false;
}

void ConditionalKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* ifJson = schemaJson.property("if");
    JV const* thenJson = schemaJson.property("then");
    JV const* elseJson = schemaJson.property("else");
    if (!ifJson && !thenJson && !elseJson) return;
    auto group = std::make_unique<ConditionalKeywordGroup>();
    // "then" and "else" are compiled even without "if": references may point into them.
    if (ifJson) {
        group->ifKeyword = std::make_unique<IfKeyword>();
        group->ifKeyword->schema = compileMember(context, *ifJson, "if");
    }
    if (thenJson) {
        group->thenKeyword = std::make_unique<ThenKeyword>();
        group->thenKeyword->schema = compileMember(context, *thenJson, "then");
    }
    if (elseJson) {
        group->elseKeyword = std::make_unique<ElseKeyword>();
        group->elseKeyword->schema = compileMember(context, *elseJson, "else");
    }
    keywords.push_back(std::move(group));
}

bool ConditionalKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    if (!ifKeyword) return true;
    if (ifKeyword->validate(instance, result)) return !thenKeyword || thenKeyword->validate(instance, result);
    return !elseKeyword || elseKeyword->validate(instance, result);
}

// ---------------------------------------------------------------------------------------------------------------
// Content

namespace {

bool isKnownEncoding(std::string_view encoding) {
    static constexpr std::array<std::string_view, 7> known = {"7bit",   "8bit",   "binary", "quoted-printable",
                                                              "base16", "base32", "base64"};
    return std::find(known.begin(), known.end(), encoding) != known.end();
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A media type is "type/subtype", optionally followed by parameters after ";".
bool isMediaType(std::string_view text) {
    std::string_view essence = text.substr(0, text.find(';'));
    auto slash = essence.find('/');
    auto isToken = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string_view("!#$&-^_.+").find(c) != std::string_view::npos;
        });
    };
    return slash != std::string_view::npos && isToken(essence.substr(0, slash)) && isToken(essence.substr(slash + 1));
}

bool isJsonMediaType(std::string_view mediaType) {
    std::string essence = lowerCase(mediaType.substr(0, mediaType.find(';')));
    while (!essence.empty() && essence.back() == ' ') essence.pop_back();
    return essence == "application/json";
}

}  // namespace

void draft7::ContentKeywordGroup::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* encoding = schemaJson.property("contentEncoding");
    JV const* mediaType = schemaJson.property("contentMediaType");
    if (!encoding && !mediaType) return;
    auto group = std::make_unique<ContentKeywordGroup>();
    if (encoding) {
        if (!encoding->isString()) compileError("contentEncoding must be a string", *encoding);
        group->encoding = lowerCase(encoding->stringValue());
        if (!isKnownEncoding(group->encoding)) {
            compileError(fmt::format("Invalid encoding: {}", encoding->stringValue()), *encoding);
        }
    }
    if (mediaType) {
        if (!mediaType->isString()) compileError("contentMediaType must be a string", *mediaType);
        if (!isMediaType(mediaType->stringValue())) {
            compileError(fmt::format("Invalid media type: {}", mediaType->stringValue()), *mediaType);
        }
        group->mediaType = std::string(mediaType->stringValue());
    }
    keywords.push_back(std::move(group));
}

bool draft7::ContentKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isString()) return true;
    std::string decoded;
    std::string_view text = instance.stringValue();
    if (encoding == "base64") {
        auto bytes = decodeBase64(text);
        if (!bytes.data) {
            result.addIssue("invalid base64 string", &instance);
            return false;
        }
        decoded = std::move(*bytes.data);
        text = decoded;
    }
    if (isJsonMediaType(mediaType)) {
        try {
            parseJsonText(text);
        } catch (std::exception const&) {
            result.addIssue("invalid JSON string", &instance);
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// What keywords evaluated

namespace {

EvaluatedIndicesAnnotation& evaluatedIndices(JVValidationResult& result, JV const& array) {
    if (auto* existing =
            dynamic_cast<EvaluatedIndicesAnnotation*>(result.findAnnotation(&array, evaluatedIndicesAnnotation))) {
        return *existing;
    }
    auto created = std::make_unique<EvaluatedIndicesAnnotation>();
    auto& ref = *created;
    result.addAnnotation(&array, std::string(evaluatedIndicesAnnotation), std::move(created));
    return ref;
}

}  // namespace

void markEvaluatedIndices(JVValidationResult& result, JV const& array, std::size_t from, std::size_t to) {
    if (from >= to) return;
    auto& evaluated = evaluatedIndices(result, array);
    if (evaluated.all) return;
    if (from == 0 && to >= array.size()) {
        evaluated.all = true;
        evaluated.indices.clear();
        return;
    }
    for (std::size_t i = from; i < to; ++i) evaluated.indices.insert(i);
}

void markAllEvaluated(JVValidationResult& result, JV const& instance) {
    if (instance.isArray()) {
        evaluatedIndices(result, instance).all = true;
    } else if (instance.isObject()) {
        auto* existing = dynamic_cast<EvaluatedPropertiesAnnotation*>(
            result.findAnnotation(&instance, evaluatedPropertiesAnnotation));
        if (!existing) {
            auto created = std::make_unique<EvaluatedPropertiesAnnotation>();
            existing = created.get();
            result.addAnnotation(&instance, std::string(evaluatedPropertiesAnnotation), std::move(created));
        }
        existing->all = true;
        existing->names.clear();
    }
}

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

void DynamicAnchorKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                       JVSchema& schema) {
    JV const* value = schemaJson.property("$dynamicAnchor");
    if (!value) return;
    if (!value->isString()) compileError("$dynamicAnchor must be a string", *value);
    std::string name(value->stringValue());
    // A dynamic anchor is a plain anchor as well.
    context->addSchema(&schema, name);
    schema.dynamicAnchor = name;
    context->dynamicAnchors[{std::string(url::withoutFragment(context->currentBaseUrl())), name}] = &schema;
    keywords.push_back(std::make_unique<DynamicAnchorKeyword>());
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
    keywords.push_back(std::make_unique<DynamicRefKeyword>(context.get(), resolveReference(ref, *context, false),
                                                           std::move(anchor), recursive));
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
        auto const& anchors = entry.context->dynamicAnchors;
        auto it = anchors.find(std::pair<std::string, std::string>(entry.resource->resourceUrl, anchor_));
        if (it != anchors.end()) return it->second;
    }
    return initial;
}

bool DynamicRefKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!initial_) {
        try {
            initial_ = context_->findSchema(url_, true);
        } catch (std::exception const& e) {
            result.addIssue(fmt::format("schema {} cannot be loaded: {}", url_, e.what()), &instance);
            return false;
        }
        if (!initial_) return false;
    }
    JVSchema const* target = dynamicTarget(initial_, result);
    JVValidationResult::ReferenceScope scope(result, target, &instance);
    if (!scope.entered()) {
        result.addIssue(scope.tooDeep() ? fmt::format("schema reference {} nests too deeply", url_)
                                        : fmt::format("schema reference {} refers to itself without end", url_),
                        &instance);
        return false;
    }
    return target->validate(instance, result);
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
            result.addIssue(fmt::format("property {} is required", name), &instance);
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
        result.addIssue(fmt::format("property {} is invalid", key), &instance);
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
    if (!instance.isArray()) return true;
    auto const* evaluated =
        dynamic_cast<EvaluatedIndicesAnnotation const*>(result.findAnnotation(&instance, evaluatedIndicesAnnotation));
    if (evaluated && evaluated->all) return true;
    auto items = instance.items();
    bool ok = true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (evaluated && evaluated->indices.count(i)) continue;
        if (!schema->validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    if (ok) markAllEvaluated(result, instance);
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
    if (!instance.isObject()) return true;
    auto const* evaluated = dynamic_cast<EvaluatedPropertiesAnnotation const*>(
        result.findAnnotation(&instance, evaluatedPropertiesAnnotation));
    if (evaluated && evaluated->all) return true;
    bool ok = true;
    for (auto [name, value] : instance.properties()) {
        if (evaluated && evaluated->names.count(name)) continue;
        if (!schema->validate(*value, result)) {
            result.addIssue(fmt::format("property {} is invalid", name), &instance);
            ok = false;
        }
    }
    if (ok) markAllEvaluated(result, instance);
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
            markEvaluatedIndices(result, instance, 0, instance.size());
        } else {
            markEvaluatedIndices(result, instance, 0, std::min(instance.size(), items->schemas.size()));
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

bool draft2020_12::PrefixItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    auto items = instance.items();
    std::size_t covered = std::min(items.size(), schemas.size());
    bool ok = true;
    for (std::size_t i = 0; i < covered; ++i) {
        if (!schemas[i]->validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    result.addAnnotation(&instance, "prefixItemsCount", std::make_unique<PrefixItemsCountAnnotation>(covered));
    return ok;
}

bool draft2020_12::ItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t start = 0;
    if (auto const* count =
            dynamic_cast<PrefixItemsCountAnnotation const*>(result.findAnnotation(&instance, "prefixItemsCount"))) {
        start = count->count;
    }
    auto items = instance.items();
    bool ok = true;
    for (std::size_t i = start; i < items.size(); ++i) {
        if (!schema->validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    return ok;
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
        markEvaluatedIndices(result, instance, 0, covered);
    }
    return ok;
}

}  // namespace zephalon::jv::schema
