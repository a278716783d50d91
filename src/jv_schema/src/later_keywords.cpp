#include "later_keywords.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "jv_access.h"
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
    for (JV const* element : instance.items()) {
        if (schema->validate(*element, result)) ++matched;
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
                                       bool withBounds) {
    JV const* contains = schemaJson.property("contains");
    if (!contains) return;
    auto group = std::make_unique<ContainsKeywordGroup>();
    group->contains = std::make_unique<ContainsKeyword>();
    group->contains->schema = compileMember(context, *contains, "contains");
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
        // Annotations keyed by the temporary name value would dangle once it is gone.
        for (auto it = result.annotations.begin(); it != result.annotations.end();) {
            it = it->first.instance == &nameValue ? result.annotations.erase(it) : std::next(it);
        }
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

}  // namespace zephalon::jv::schema
