#include "keywords.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "jv_access.h"
#include "url.h"
#include "zephalon/foundation/uri.h"

namespace zephalon::jv::schema {

using number::Number;

namespace {

template <typename Keyword>
void maybeCreateCount(Keywords& keywords, JV const& schemaJson, std::string_view name, char const* negativeMessage) {
    if (JV const* value = schemaJson.property(name)) {
        keywords.push_back(std::make_unique<Keyword>(countValue(*value, name, negativeMessage)));
    }
}

std::string const& requireString(JV const& value, std::string_view keyword, std::string& storage) {
    if (!value.isString()) compileError(fmt::format("{} must be a string", keyword), value);
    storage = std::string(value.stringValue());
    return storage;
}

SchemaList compileSchemaArray(ContextPtr const& context, JV const& value, std::string_view keyword) {
    if (!value.isArray()) compileError(fmt::format("{} must be an array", keyword), value);
    SchemaList schemas;
    std::size_t index = 0;
    for (JV const* element : value.items()) {
        PathScope scope(*context, index++);
        schemas.push_back(compileSubschema(context, *element));
    }
    return schemas;
}

std::size_t codePointCount(std::string_view text) {
    // Every byte that is not a UTF-8 continuation byte starts a code point; malformed text is still counted
    // without reading past its end.
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::unique_ptr<JVSchema> compileSubschema(ContextPtr const& context, JV const& json) {
    return std::make_unique<JVSchema>(context, json);
}

std::unique_ptr<JVSchema> compileMember(ContextPtr const& context, JV const& value, std::string_view keyword) {
    if (!value.isObject() && !value.isBoolean()) {
        compileError(fmt::format("{} must be an object or a boolean", keyword), value);
    }
    PathScope scope(*context, keyword);
    return compileSubschema(context, value);
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

void dropIssuesSince(JVValidationResult& result, std::size_t mark) {
    if (result.issues.size() > mark)
        result.issues.erase(result.issues.begin() + static_cast<std::ptrdiff_t>(mark), result.issues.end());
}

std::string resolveMember(JV const& value, std::string_view base) {
    try {
        return resolveReference(value.stringValue(), base);
    } catch (UriError const&) {
        compileError(fmt::format("Invalid URI reference: {}", value.stringValue()), value);
    }
}

bool beginIdentifier(SchemaContext& context, JVSchema& schema, JV const& json, std::string_view member) {
    JV const* id = json.property(member);
    if (!id) return false;
    if (!id->isString()) compileError(fmt::format("{} must be a string", member), *id);
    std::string resolved = resolveMember(*id, context.currentBaseUrl());
    std::string_view document = url::withoutFragment(resolved);
    bool pushed = false;
    if (document != url::withoutFragment(context.currentBaseUrl())) {
        // The identifier names another document: everything below is located relative to it. Where the
        // resource starts in the root's document is remembered for references into places nothing compiled.
        if (auto start = context.resourceLocations.find(url::withoutFragment(context.baseUrls.front().url));
            start != context.resourceLocations.end()) {
            JVPointer location = start->second;
            for (auto const& entry : context.baseUrls) {
                for (auto const& token : entry.path) location.append(token);
            }
            context.resourceLocations.emplace(document, std::move(location));
        }
        context.baseUrls.push_back(BaseUrlEntry{std::string(document), {}});
        context.addSchema(&schema);
        pushed = true;
    }
    // An identifier with a plain-name fragment ("#foo") makes the schema reachable under that name as well.
    if (document.size() != resolved.size()) context.addSchemaAt(resolved, &schema);
    return pushed;
}

void endIdentifier(SchemaContext& context, bool pushed) {
    if (pushed) context.popBaseUrl();
}

// ---------------------------------------------------------------------------------------------------------------
// Identification and annotations

bool IdKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson, JVSchema& schema) {
    JV const* value = schemaJson.property("id");
    if (!value) return false;
    bool pushed = beginIdentifier(*context, schema, schemaJson, "id");
    keywords.push_back(std::make_unique<IdKeyword>(std::string(value->stringValue())));
    return pushed;
}

bool RefKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                             bool identifierPushed) {
    JV const* value = schemaJson.property("$ref");
    if (!value) return false;
    if (!value->isString()) compileError("$ref must be a string", *value);
    std::string_view ref = value->stringValue();
    // An identifier beside "$ref" names the schema but does not move the reference's own base.
    bool usePrevious = identifierPushed && !ref.starts_with('#');
    keywords.push_back(std::make_unique<RefKeyword>(
        context.get(), resolveMember(*value, usePrevious ? context->previousBaseUrl() : context->currentBaseUrl())));
    return true;
}

JVSchema const* lookUpReference(SchemaContext& context, std::string const& url, JV const& instance,
                                JVValidationResult& result) {
    try {
        return context.findOrCompileSchema(url);
    } catch (std::exception const& e) {
        // A built-in or loaded document that does not compile: say so at the instance instead of failing
        // without a trace.
        addFormattedIssue(result, &instance, "schema {} cannot be loaded: {}", url, e.what());
        return nullptr;
    }
}

bool validateThroughReference(void const* reference, JVSchema const& target, std::string const& url, JV const& instance,
                              JVValidationResult& result) {
    JVValidationResult::ReferenceScope scope(result, reference, &instance);
    if (!scope.entered()) {
        result.addIssue(scope.tooDeep() ? fmt::format("schema reference {} nests too deeply", url)
                                        : fmt::format("schema reference {} refers to itself without end", url),
                        &instance);
        return false;
    }
    return target.validate(instance, result);
}

bool RefKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!target_) target_ = lookUpReference(*context_, url_, instance, result);
    return target_ && validateThroughReference(this, *target_, url_, instance, result);
}

void SchemaKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("$schema")) {
        std::string uri;
        requireString(*value, "$schema", uri);
        keywords.push_back(std::make_unique<SchemaKeyword>(std::move(uri)));
    }
}

void TitleKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("title")) {
        std::string text;
        requireString(*value, "title", text);
        keywords.push_back(std::make_unique<TitleKeyword>(std::move(text)));
    }
}

bool TitleKeyword::validate(JV const& instance, JVValidationResult& result) const {
    result.addAnnotation(&instance, "title", std::make_unique<TitleAnnotation>(title));
    return true;
}

void DescriptionKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("description")) {
        std::string text;
        requireString(*value, "description", text);
        keywords.push_back(std::make_unique<DescriptionKeyword>(std::move(text)));
    }
}

void DefaultKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("default")) {
        keywords.push_back(std::make_unique<DefaultKeyword>(value->clone()));
    }
}

void DefinitionsKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson,
                                     std::string_view member) {
    JV const* value = schemaJson.property(member);
    if (!value) return;
    if (!value->isObject()) compileError(fmt::format("{} must be an object", member), *value);
    auto keyword = std::make_unique<DefinitionsKeyword>();
    PathScope keywordScope(*context, member);
    for (auto [name, json] : value->properties()) {
        PathScope nameScope(*context, name);
        keyword->definitions.emplace(std::string(name), compileSubschema(context, *json));
    }
    keywords.push_back(std::move(keyword));
}

// ---------------------------------------------------------------------------------------------------------------
// Applicators

void AllOfKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("allOf")) {
        PathScope scope(*context, "allOf");
        auto keyword = std::make_unique<AllOfKeyword>();
        keyword->schemas = compileSchemaArray(context, *value, "allOf");
        keywords.push_back(std::move(keyword));
    }
}

bool AllOfKeyword::validate(JV const& instance, JVValidationResult& result) const {
    for (auto const& schema : schemas) {
        if (!schema->validate(instance, result)) return false;
    }
    return true;
}

void AnyOfKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("anyOf")) {
        PathScope scope(*context, "anyOf");
        auto keyword = std::make_unique<AnyOfKeyword>();
        keyword->schemas = compileSchemaArray(context, *value, "anyOf");
        keywords.push_back(std::move(keyword));
    }
}

bool AnyOfKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t mark = result.issues.size();
    bool passed = false;
    for (auto const& schema : schemas) {
        if (schema->validate(instance, result)) {
            passed = true;
            if (!evaluateAll) break;
        }
    }
    if (passed) dropIssuesSince(result, mark);
    return passed;
}

void OneOfKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("oneOf")) {
        PathScope scope(*context, "oneOf");
        auto keyword = std::make_unique<OneOfKeyword>();
        keyword->schemas = compileSchemaArray(context, *value, "oneOf");
        keywords.push_back(std::move(keyword));
    }
}

bool OneOfKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t mark = result.issues.size();
    std::size_t passed = 0;
    for (auto const& schema : schemas) {
        if (schema->validate(instance, result)) ++passed;
    }
    if (passed == 1) {
        dropIssuesSince(result, mark);
        return true;
    }
    return false;
}

void NotKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("not")) {
        PathScope scope(*context, "not");
        auto keyword = std::make_unique<NotKeyword>();
        keyword->schema = compileSubschema(context, *value);
        keywords.push_back(std::move(keyword));
    }
}

bool NotKeyword::validate(JV const& instance, JVValidationResult& result) const {
    // What the subschema finds is the opposite of a finding about the instance.
    JVValidationResult::Muted muted(result);
    return !schema->validate(instance, result);
}

// ---------------------------------------------------------------------------------------------------------------
// Any instance

void TypeKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("type");
    if (!value) return;
    auto bitOf = [](std::string_view name) -> std::uint8_t {
        if (name == "null") return Null;
        if (name == "boolean") return Boolean;
        if (name == "integer") return Integer;
        if (name == "number") return NumberBit;
        if (name == "string") return String;
        if (name == "array") return Array;
        if (name == "object") return Object;
        throw std::runtime_error(fmt::format("Unknown type: {}", name));
    };
    std::uint8_t types = 0;
    if (value->isString()) {
        types = bitOf(value->stringValue());
    } else if (value->isArray()) {
        for (JV const* element : value->items()) {
            if (!element->isString()) compileError("type array must contain only strings", *value);
            types |= bitOf(element->stringValue());
        }
    } else {
        compileError("type must be a string or an array", *value);
    }
    keywords.push_back(std::make_unique<TypeKeyword>(types));
}

bool TypeKeyword::validate(JV const& instance, JVValidationResult& result) const {
    bool ok = false;
    switch (instance.type()) {
        case JV::Type::Null:
            ok = types & Null;
            break;
        case JV::Type::Boolean:
            ok = types & Boolean;
            break;
        case JV::Type::Number:
            ok = (types & NumberBit) || ((types & Integer) && instance.isInteger());
            break;
        case JV::Type::String:
            ok = types & String;
            break;
        case JV::Type::Array:
            ok = types & Array;
            break;
        case JV::Type::Object:
            ok = types & Object;
            break;
    }
    if (!ok) result.addIssue("type mismatch", &instance);
    return ok;
}

void FormatKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson, bool strictFormat) {
    JV const* value = schemaJson.property("format");
    if (!value) return;
    if (!value->isString()) compileError("format must be a string", *value);
    keywords.push_back(
        std::make_unique<FormatKeyword>(draft4::findFormatValidator(value->stringValue()), strictFormat));
}

bool FormatKeyword::validate(JV const& instance, JVValidationResult&) const {
    if (!strict || !format || instance.type() != format->type) return true;
    return format->check(&instance);
}

void EnumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("enum");
    if (!value) return;
    if (!value->isArray()) compileError("enum must be an array", *value);
    auto keyword = std::make_unique<EnumKeyword>();
    for (JV const* element : value->items()) keyword->values.push_back(element->clone());
    keywords.push_back(std::move(keyword));
}

bool EnumKeyword::validate(JV const& instance, JVValidationResult&) const {
    for (auto const& allowed : values) {
        if (allowed->type() == instance.type() && allowed->equal(instance)) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Numbers

namespace {

bool exclusiveFlag(JV const& schemaJson, std::string_view name) {
    JV const* flag = schemaJson.property(name);
    if (!flag) return false;
    if (!flag->isBoolean()) compileError(fmt::format("{} value must be a boolean", name), *flag);
    return flag->booleanValue();
}

}  // namespace

void MinimumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("minimum")) {
        keywords.push_back(std::make_unique<MinimumKeyword>(numberValue(*value, "minimum"),
                                                            exclusiveFlag(schemaJson, "exclusiveMinimum")));
    }
}

bool MinimumKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isNumber()) return true;
    int c = instance.numberValue().compare(limit);
    bool ok = exclusive ? c == 1 : (c == 1 || c == 0);
    if (!ok) result.addIssue("value is less than minimum", &instance);
    return ok;
}

void MaximumKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    if (JV const* value = schemaJson.property("maximum")) {
        keywords.push_back(std::make_unique<MaximumKeyword>(numberValue(*value, "maximum"),
                                                            exclusiveFlag(schemaJson, "exclusiveMaximum")));
    }
}

bool MaximumKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isNumber()) return true;
    int c = instance.numberValue().compare(limit);
    bool ok = exclusive ? c == -1 : (c == -1 || c == 0);
    if (!ok) result.addIssue("value is greater than maximum", &instance);
    return ok;
}

void MultipleOfKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("multipleOf");
    if (!value) return;
    if (!value->isNumber()) compileError("multipleOf value must be a number", *value);
    // A divisor of zero or below has no multiples to speak of and would make every check divide by zero.
    if (value->numberValue().compare(Number(0)) != 1) compileError("multipleOf value must be greater than 0", *value);
    keywords.push_back(std::make_unique<MultipleOfKeyword>(value->numberValue()));
}

bool MultipleOfKeyword::validate(JV const& instance, JVValidationResult&) const {
    if (!instance.isNumber()) return true;
    auto const& n = instance.numberValue();
    if (n.isNaN() || n.isInfinity()) return false;
    return n.isMultipleOf(divisor);
}

// ---------------------------------------------------------------------------------------------------------------
// Strings

void MinLengthKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MinLengthKeyword>(keywords, schemaJson, "minLength", "minLength value cannot be negative");
}

bool MinLengthKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isString()) return true;
    auto text = instance.stringValue();
    // Byte length bounds the code-point count from above, so a long enough string needs no counting.
    if (text.size() >= limit && codePointCount(text) >= limit) return true;
    result.addIssue("string is too short", &instance);
    return false;
}

void MaxLengthKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MaxLengthKeyword>(keywords, schemaJson, "maxLength", "maxLength value cannot be negative");
}

bool MaxLengthKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isString()) return true;
    auto text = instance.stringValue();
    if (text.size() <= limit || codePointCount(text) <= limit) return true;
    result.addIssue("string is too long", &instance);
    return false;
}

void PatternKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("pattern");
    if (!value) return;
    if (!value->isString()) compileError("pattern must be a string", *value);
    try {
        keywords.push_back(std::make_unique<PatternKeyword>(draft4::createEcmaScriptRegex(value->stringValue())));
    } catch (RegexError const& e) {
        compileError(fmt::format("invalid pattern: {}", e.what()), *value);
    }
}

bool PatternKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isString()) return true;
    // A search that exceeds the match limits counts as no match: validation goes on instead of hanging.
    if (regex.search(instance.stringValue())) return true;
    result.addIssue("string does not match pattern", &instance);
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Arrays

void MinItemsKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MinItemsKeyword>(keywords, schemaJson, "minItems", "minItems value cannot be negative");
}

bool MinItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray() || instance.size() >= limit) return true;
    result.addIssue("array is too short", &instance);
    return false;
}

void MaxItemsKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MaxItemsKeyword>(keywords, schemaJson, "maxItems", "maxItems cannot be negative");
}

bool MaxItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray() || instance.size() <= limit) return true;
    result.addIssue("array is too long", &instance);
    return false;
}

void UniqueItemsKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("uniqueItems");
    if (!value) return;
    if (!value->isBoolean()) compileError("uniqueItems value must be a boolean", *value);
    if (value->booleanValue()) keywords.push_back(std::make_unique<UniqueItemsKeyword>());
}

bool hasDuplicateItems(std::span<JV const* const> items, std::size_t (*hash)(JV const&)) {
    std::vector<std::pair<std::size_t, std::size_t>> hashes;
    hashes.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) hashes.emplace_back(hash(*items[i]), i);
    std::sort(hashes.begin(), hashes.end());
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        for (std::size_t j = i + 1; j < hashes.size() && hashes[j].first == hashes[i].first; ++j) {
            if (items[hashes[i].second]->equal(*items[hashes[j].second])) return true;
        }
    }
    return false;
}

bool UniqueItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isArray() || instance.size() < 2) return true;
    if (!hasDuplicateItems(instance.items(), [](JV const& value) { return value.hash(); })) return true;
    result.addIssue("array has duplicate items", &instance);
    return false;
}

std::unique_ptr<ItemsKeyword> ItemsKeyword::create(ContextPtr const& context, JV const& value) {
    auto keyword = std::make_unique<ItemsKeyword>();
    PathScope scope(*context, "items");
    if (value.isArray()) {
        keyword->schemas = compileSchemaArray(context, value, "items");
    } else if (value.isObject() || value.isBoolean()) {
        keyword->schema = compileSubschema(context, value);
    } else {
        compileError("items must be an object or an array", value);
    }
    return keyword;
}

bool validateElements(JVSchema const& schema, JV const& array, std::size_t from, JVValidationResult& result) {
    auto items = array.items();
    bool ok = true;
    for (std::size_t i = from; i < items.size(); ++i) {
        if (!schema.validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    return ok;
}

bool validateTuple(SchemaList const& schemas, JV const& array, JVValidationResult& result) {
    auto items = array.items();
    bool ok = true;
    for (std::size_t i = 0; i < std::min(items.size(), schemas.size()); ++i) {
        if (!schemas[i]->validate(*items[i], result)) {
            result.addIssue("array item does not match schema", items[i]);
            ok = false;
        }
    }
    return ok;
}

bool ItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    bool ok = schema ? validateElements(*schema, instance, 0, result) : validateTuple(schemas, instance, result);
    std::size_t covered = schema ? instance.size() : std::min(instance.size(), schemas.size());
    result.addAnnotation(&instance, "itemsCount", std::make_unique<ItemsCountAnnotation>(covered));
    return ok;
}

std::unique_ptr<AdditionalItemsKeyword> AdditionalItemsKeyword::create(ContextPtr const& context, JV const& value) {
    if (!value.isObject() && !value.isBoolean()) {
        compileError("additionalItems must be an object or a boolean", value);
    }
    PathScope scope(*context, "additionalItems");
    auto keyword = std::make_unique<AdditionalItemsKeyword>();
    keyword->schema = compileSubschema(context, value);
    return keyword;
}

bool AdditionalItemsKeyword::validate(JV const& instance, JVValidationResult& result) const {
    std::size_t start = 0;
    if (auto const* count = dynamic_cast<ItemsCountAnnotation const*>(result.findAnnotation(&instance, "itemsCount"))) {
        start = count->count;
    }
    return validateElements(*schema, instance, start, result);
}

void ItemsKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* items = schemaJson.property("items");
    JV const* additional = schemaJson.property("additionalItems");
    if (!items && !additional) return;
    auto group = std::make_unique<ItemsKeywordGroup>();
    if (items) group->items = ItemsKeyword::create(context, *items);
    if (additional) group->additionalItems = AdditionalItemsKeyword::create(context, *additional);
    keywords.push_back(std::move(group));
}

bool ItemsKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    // "additionalItems" only means something after "items".
    if (!instance.isArray() || !items) return true;
    bool ok = items->validate(instance, result);
    if (!ok) result.addIssue("array item does not match schema", &instance);
    if (additionalItems && !additionalItems->validate(instance, result)) {
        result.addIssue("array item does not match schema", &instance);
        return false;
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Objects

std::unique_ptr<PropertiesKeyword> PropertiesKeyword::create(ContextPtr const& context, JV const& value) {
    if (!value.isObject()) compileError("properties must be an object", value);
    auto keyword = std::make_unique<PropertiesKeyword>();
    PathScope scope(*context, "properties");
    for (auto [name, json] : value.properties()) {
        PathScope nameScope(*context, name);
        keyword->properties.emplace_back(std::string(name), compileSubschema(context, *json));
    }
    return keyword;
}

bool PropertiesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    MemberSet covered(instance.size());
    return validateMembers(instance, result, covered);
}

bool PropertiesKeyword::validateMembers(JV const& instance, JVValidationResult& result, MemberSet& covered) const {
    // The object's members and the keyword's names are both in byte-wise key order: walking the (usually smaller)
    // object reports the names in the same order as walking the keyword would, and each name is searched for
    // after the one found before.
    bool ok = true;
    std::size_t index = 0;
    auto next = properties.begin();
    for (auto [name, value] : instance.properties()) {
        next = std::lower_bound(next, properties.end(), name,
                                [](auto const& entry, std::string_view key) { return entry.first < key; });
        if (next == properties.end()) break;
        if (next->first == name) {
            covered.insert(index);
            if (!next->second->validate(*value, result)) {
                addFormattedIssue(result, &instance, "property {} is invalid", name);
                ok = false;
            }
        }
        ++index;
    }
    return ok;
}

std::unique_ptr<PatternPropertiesKeyword> PatternPropertiesKeyword::create(ContextPtr const& context, JV const& value) {
    if (!value.isObject()) compileError("patternProperties must be an object", value);
    auto keyword = std::make_unique<PatternPropertiesKeyword>();
    PathScope scope(*context, "patternProperties");
    for (auto [pattern, json] : value.properties()) {
        PathScope nameScope(*context, pattern);
        try {
            keyword->patterns.emplace_back(draft4::createEcmaScriptRegex(pattern), compileSubschema(context, *json));
        } catch (RegexError const& e) {
            compileError(fmt::format("invalid pattern: {}", e.what()), value);
        }
    }
    return keyword;
}

bool PatternPropertiesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    MemberSet covered(instance.size());
    return validateMembers(instance, result, covered);
}

bool PatternPropertiesKeyword::validateMembers(JV const& instance, JVValidationResult& result,
                                               MemberSet& covered) const {
    bool ok = true;
    std::size_t index = 0;
    for (auto [name, value] : instance.properties()) {
        for (auto const& [regex, schema] : patterns) {
            if (!regex.search(name)) continue;
            covered.insert(index);
            if (!schema->validate(*value, result)) {
                addFormattedIssue(result, &instance, "property {} is invalid", name);
                ok = false;
            }
        }
        ++index;
    }
    return ok;
}

std::unique_ptr<AdditionalPropertiesKeyword> AdditionalPropertiesKeyword::create(ContextPtr const& context,
                                                                                 JV const& value) {
    if (!value.isObject() && !value.isBoolean()) {
        compileError("additionalProperties must be an object or a boolean", value);
    }
    PathScope scope(*context, "additionalProperties");
    auto keyword = std::make_unique<AdditionalPropertiesKeyword>();
    keyword->schema = compileSubschema(context, value);
    return keyword;
}

bool AdditionalPropertiesKeyword::validate(JV const& memberValue, JVValidationResult& result) const {
    return schema->validate(memberValue, result);
}

void PropertiesKeywordGroup::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* properties = schemaJson.property("properties");
    JV const* patterns = schemaJson.property("patternProperties");
    JV const* additional = schemaJson.property("additionalProperties");
    if (!properties && !patterns && !additional) return;
    auto group = std::make_unique<PropertiesKeywordGroup>();
    if (properties) group->properties = PropertiesKeyword::create(context, *properties);
    if (patterns) group->patternProperties = PatternPropertiesKeyword::create(context, *patterns);
    if (additional) group->additionalProperties = AdditionalPropertiesKeyword::create(context, *additional);
    keywords.push_back(std::move(group));
}

bool PropertiesKeywordGroup::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    // The members "properties" and "patternProperties" cover, found once: "additionalProperties" takes the others,
    // and they are what the group evaluated.
    MemberSet covered(instance.size());
    bool ok = true;
    if (properties) ok = properties->validateMembers(instance, result, covered) && ok;
    if (patternProperties) ok = patternProperties->validateMembers(instance, result, covered) && ok;
    if (additionalProperties) {
        std::size_t index = 0;
        for (auto [name, value] : instance.properties()) {
            if (!covered.contains(index++)) ok = additionalProperties->validate(*value, result) && ok;
        }
    }
    if (recordEvaluated && ok) {
        if (additionalProperties) {
            result.markAllEvaluated(instance);
        } else {
            for (std::size_t i = 0; i < instance.size(); ++i) {
                if (covered.contains(i)) result.markEvaluated(instance, i);
            }
        }
    }
    return ok;
}

void MinPropertiesKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MinPropertiesKeyword>(keywords, schemaJson, "minProperties",
                                           "minProperties value cannot be negative");
}

bool MinPropertiesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject() || instance.size() >= limit) return true;
    result.addIssue("object has too few properties", &instance);
    return false;
}

void MaxPropertiesKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    maybeCreateCount<MaxPropertiesKeyword>(keywords, schemaJson, "maxProperties",
                                           "maxProperties value cannot be negative");
}

bool MaxPropertiesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject() || instance.size() <= limit) return true;
    result.addIssue("object has too many properties", &instance);
    return false;
}

void RequiredKeyword::maybeCreate(ContextPtr const&, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("required");
    if (!value) return;
    if (!value->isArray()) compileError("required must be an array", *value);
    auto keyword = std::make_unique<RequiredKeyword>();
    for (JV const* element : value->items()) {
        if (!element->isString()) compileError("required array must contain only strings", *value);
        keyword->names.emplace(element->stringValue());
    }
    keywords.push_back(std::move(keyword));
}

bool RequiredKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    bool ok = true;
    for (auto const& name : names) {
        if (!instance.hasProperty(name)) {
            addFormattedIssue(result, &instance, "Required property '{}' is missing", name);
            ok = false;
        }
    }
    return ok;
}

void DependenciesKeyword::maybeCreate(ContextPtr const& context, Keywords& keywords, JV const& schemaJson) {
    JV const* value = schemaJson.property("dependencies");
    if (!value) return;
    if (!value->isObject()) compileError("dependencies must be an object", *value);
    auto keyword = std::make_unique<DependenciesKeyword>();
    PathScope scope(*context, "dependencies");
    for (auto [key, dependency] : value->properties()) {
        if (dependency->isArray()) {
            auto& names = keyword->names[std::string(key)];
            for (JV const* element : dependency->items()) {
                if (!element->isString()) compileError("dependency array must contain only strings", *dependency);
                names.emplace(element->stringValue());
            }
        } else if (dependency->isObject() || dependency->isBoolean()) {
            PathScope keyScope(*context, key);
            keyword->schemas.emplace(std::string(key), compileSubschema(context, *dependency));
        } else {
            compileError("dependency must be an object or an array", *dependency);
        }
    }
    keywords.push_back(std::move(keyword));
}

bool DependenciesKeyword::validate(JV const& instance, JVValidationResult& result) const {
    if (!instance.isObject()) return true;
    bool ok = true;
    for (auto const& [key, schema] : schemas) {
        if (!instance.hasProperty(key)) continue;
        if (!schema->validate(instance, result)) {
            addFormattedIssue(result, &instance, "property {} is invalid", key);
            ok = false;
        }
    }
    for (auto const& [key, required] : names) {
        if (!instance.hasProperty(key)) continue;
        for (auto const& name : required) {
            if (!instance.hasProperty(name)) {
                addFormattedIssue(result, &instance, "required property {} is missing", name);
                ok = false;
            }
        }
    }
    return ok;
}

}  // namespace zephalon::jv::schema
