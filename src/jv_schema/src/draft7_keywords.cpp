#include "draft7_keywords.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "jv_access.h"
#include "zephalon/foundation/base64.h"

namespace zephalon::jv::schema {

using number::Number;

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

// ---------------------------------------------------------------------------------------------------------------
// Conditionals

bool IfKeyword::validate(JV const& instance, JVValidationResult& result) const {
    // "if" is a question, not a demand: its failures are not findings about the instance.
    JVValidationResult::Muted muted(result);
    return schema->validate(instance, result);
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
