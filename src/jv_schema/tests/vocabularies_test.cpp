// Custom meta-schemas and their vocabularies, dialects that change inside a document, and references to places
// in a schema document that hold no compiled schema.

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon;
using namespace zephalon::jv;
using namespace zephalon::jv::schema;

namespace {

std::unique_ptr<JVSchema> compile(std::string_view text) {
    auto doc = readJsonString(text);
    return std::make_unique<JVSchema>(*doc->root());
}

bool valid(JVSchema const& schema, std::string_view instance) {
    auto doc = readJsonString(instance);
    JVValidationResult result;
    return schema.validate(*doc, result);
}

// Serves meta-schemas from memory under http://meta.test/, for the life of one test.
class MetaSchemas {
  public:
    explicit MetaSchemas(std::map<std::string, std::string> texts) : texts_(std::move(texts)) {
        registerSchemaLoader("meta-schemas", [this](std::string const& url) -> std::unique_ptr<JVSchema> {
            auto it = texts_.find(url);
            if (it == texts_.end()) return nullptr;
            auto doc = readJsonString(it->second);
            return std::make_unique<JVSchema>(*doc->root(), url);
        });
    }
    ~MetaSchemas() { unregisterSchemaLoader("meta-schemas"); }
    MetaSchemas(MetaSchemas const&) = delete;
    MetaSchemas& operator=(MetaSchemas const&) = delete;

  private:
    std::map<std::string, std::string> texts_;
};

std::string compileError(std::string_view text) {
    try {
        compile(text);
    } catch (JVError const& e) {
        return e.what();
    }
    return "(compiled)";
}

}  // namespace

TEST(Vocabularies, AMetaSchemaSwitchesVocabulariesOnAndOff) {
    // Loaders cache what they serve for the process, so each test uses URLs of its own.
    MetaSchemas metas({
        {"http://meta.test/no-validation.json", R"({
            "$schema": "https://json-schema.org/draft/2020-12/schema",
            "$id": "http://meta.test/no-validation.json",
            "$vocabulary": {"https://json-schema.org/draft/2020-12/vocab/core": true,
                            "https://json-schema.org/draft/2020-12/vocab/applicator": true,
                            "http://meta.test/vocab/extra": false}})"},
        {"http://meta.test/no-validation-2019.json", R"({
            "$schema": "https://json-schema.org/draft/2019-09/schema",
            "$vocabulary": {"https://json-schema.org/draft/2019-09/vocab/core": true,
                            "https://json-schema.org/draft/2019-09/vocab/applicator": true}})"},
        {"http://meta.test/assert-format.json", R"({
            "$schema": "https://json-schema.org/draft/2020-12/schema",
            "$vocabulary": {"https://json-schema.org/draft/2020-12/vocab/core": true,
                            "https://json-schema.org/draft/2020-12/vocab/format-assertion": false}})"},
        {"http://meta.test/extends.json", R"({"$schema": "http://meta.test/no-validation.json"})"},
    });
    for (char const* meta : {"http://meta.test/no-validation.json", "http://meta.test/no-validation-2019.json",
                             "http://meta.test/extends.json"}) {
        auto schema = compile(fmt::format(R"({{"$schema": "{}", "properties": {{"bad": false, "n": {{"minimum": 10}}}},
            "type": "string"}})",
                                          meta));
        // Applicators apply; assertions of the validation vocabulary do not.
        EXPECT_FALSE(valid(*schema, R"({"bad": 1})")) << meta;
        EXPECT_TRUE(valid(*schema, R"({"n": 1})")) << meta;
    }
    // Subschemas are compiled with the vocabularies of the schema object that named the dialect.
    auto nested = compile(R"({"$schema": "http://meta.test/no-validation.json", "items": {"type": "string"}})");
    EXPECT_TRUE(valid(*nested, "[1]"));
    // A known vocabulary that is named makes "format" assert whatever the registry says.
    auto format = compile(R"({"$schema": "http://meta.test/assert-format.json", "format": "ipv4", "type": "object"})");
    EXPECT_TRUE(valid(*format, R"("127.0.0.1")"));
    EXPECT_FALSE(valid(*format, R"("not an address")"));
}

TEST(Vocabularies, ARequiredUnknownVocabularyOrAnUnreachableMetaSchemaIsRefused) {
    MetaSchemas metas({
        {"http://meta.test/requires-unknown.json", R"({
            "$schema": "https://json-schema.org/draft/2020-12/schema",
            "$vocabulary": {"https://json-schema.org/draft/2020-12/vocab/core": true,
                            "http://meta.test/vocab/unknown": true}})"},
        {"http://meta.test/loop-a.json", R"({"$schema": "http://meta.test/loop-b.json"})"},
        {"http://meta.test/loop-b.json", R"({"$schema": "http://meta.test/loop-a.json"})"},
    });
    EXPECT_EQ(compileError(R"({"$schema": "http://meta.test/requires-unknown.json"})"),
              "Schema dialect http://meta.test/requires-unknown.json requires the unknown vocabulary "
              "http://meta.test/vocab/unknown");
    EXPECT_EQ(compileError(R"({"$schema": "http://meta.test/missing.json"})"),
              "Unknown schema dialect: http://meta.test/missing.json");
    EXPECT_THAT(compileError(R"({"$schema": "http://meta.test/loop-a.json"})"),
                ::testing::HasSubstr("Unknown schema dialect: http://meta.test/loop-a.json"));
    // The drafts' own meta-schemas are dialects under their published URIs only.
    EXPECT_EQ(compileError(R"({"$schema": "https://json-schema.org/draft/2020-12/schema#"})"),
              "Unknown schema dialect: https://json-schema.org/draft/2020-12/schema#");
}

TEST(Vocabularies, MetaSchemasOfTheSameDocumentAndBuiltInOnesAreFollowed) {
    // The meta-schema is a resource of the document itself, declared after the schema that uses it.
    auto local = compile(R"({"$schema": "https://json-schema.org/draft/2020-12/schema",
        "$id": "http://local.test/root.json",
        "properties": {"p": {"$id": "p.json", "$schema": "http://local.test/meta.json", "required": ["x"],
                             "properties": {"x": false}},
                       "q": {"required": ["y"]}},
        "$defs": {"meta": {"$id": "meta.json", "$schema": "https://json-schema.org/draft/2020-12/schema",
                           "$vocabulary": {"https://json-schema.org/draft/2020-12/vocab/core": true,
                                           "https://json-schema.org/draft/2020-12/vocab/applicator": true}}}})");
    EXPECT_TRUE(valid(*local, R"({"p": {}})"));
    EXPECT_FALSE(valid(*local, R"({"p": {"x": 1}})"));
    // Beside it, the root's dialect still holds.
    EXPECT_FALSE(valid(*local, R"({"q": {}})"));

    // OpenAPI 3.1's dialect: 2020-12 with an optional vocabulary of its own.
    auto openapi = compile(R"({"$schema": "https://spec.openapis.org/oas/3.1/dialect/base", "type": "string",
        "discriminator": {"propertyName": "kind"}})");
    EXPECT_TRUE(valid(*openapi, R"("a")"));
    EXPECT_FALSE(valid(*openapi, "1"));
}

TEST(Vocabularies, ADialectNamedInsideADocumentHoldsForItsSubschemas) {
    // Draft 7 ignores the siblings of "$ref", 2020-12 does not; the draft-7 resource keeps its rule throughout.
    auto mixed = compile(R"({"$schema": "https://json-schema.org/draft/2020-12/schema",
        "properties": {
            "old": {"$id": "http://mixed.test/old.json", "$schema": "http://json-schema.org/draft-07/schema#",
                    "properties": {"inner": {"$ref": "#/definitions/any", "type": "string"}},
                    "definitions": {"any": {}}},
            "new": {"properties": {"inner": {"$ref": "#/$defs/any", "type": "string"}}}},
        "$defs": {"any": {}}})");
    EXPECT_TRUE(valid(*mixed, R"({"old": {"inner": 1}})"));
    EXPECT_FALSE(valid(*mixed, R"({"new": {"inner": 1}})"));
}

TEST(References, PlacesThatHoldNoCompiledSchemaAreCompiledWhenReferenced) {
    auto schema = compile(R"({"$schema": "https://json-schema.org/draft/2020-12/schema",
        "x-unknown/keyword": {"type": "integer"},
        "examples": [{"type": "string"}, "not a schema"],
        "properties": {
            "a": {"$ref": "#/x-unknown~1keyword"},
            "b": {"$ref": "#/examples/0"},
            "c": {"$ref": "#/examples/1"},
            "d": {"$ref": "#/properties/e/nested"},
            "e": {"nested": {"minimum": 5}}}})");
    EXPECT_TRUE(valid(*schema, R"({"a": 3, "b": "s", "d": 7})"));
    EXPECT_FALSE(valid(*schema, R"({"a": true})"));
    EXPECT_FALSE(valid(*schema, R"({"b": 1})"));
    EXPECT_FALSE(valid(*schema, R"({"d": 1})"));
    // A value that is not a schema, and a place with nothing, fail the reference without an issue, as a
    // missing target always does.
    auto instance = readJsonString(R"({"c": 1})");
    JVValidationResult result;
    EXPECT_FALSE(schema->validate(*instance, result));
    EXPECT_EQ(result.issues.size(), 1u);  // "property c is invalid" only
    auto nowhere = compile(R"({"$ref": "#/nowhere/at/all"})");
    EXPECT_FALSE(nowhere->validate(*instance, result));

    // A value that fails to compile only after some of its subschemas were compiled leaves none of them behind:
    // a reference to one of them compiles it afresh, again and again.
    auto partly = compile(R"({"$schema": "https://json-schema.org/draft/2020-12/schema",
        "examples": [{"properties": {"a": {"type": "integer", "$anchor": "inner"}}, "minLength": "x"}],
        "properties": {"whole": {"$ref": "#/examples/0"}, "part": {"$ref": "#/examples/0/properties/a"}}})");
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(valid(*partly, R"({"whole": 1})"));
        EXPECT_TRUE(valid(*partly, R"({"part": 1})"));
        EXPECT_FALSE(valid(*partly, R"({"part": "s"})"));
    }
}
