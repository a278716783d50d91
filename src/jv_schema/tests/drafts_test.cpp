// Behaviour of the draft-6 and draft-7 keywords that the official suite does not look at: issue messages and
// where they point, which issues survive an applicator that was satisfied, what "$ref" leaves of its siblings,
// and the compilation errors of the new keywords.

#include "zephalon/jv_schema/drafts.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/yaml_reader.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon;
using namespace zephalon::jv;
using namespace zephalon::jv::schema;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Compiles a schema under `dialect` unless it names one itself.
std::unique_ptr<JVSchema> compile(std::string_view dialect, std::string_view schemaText) {
    auto doc = readJsonString(schemaText);
    JV* root = doc->root();
    if (root->isObject() && !root->hasProperty("$schema")) root->setStringProperty("$schema", dialect);
    return std::make_unique<JVSchema>(*root);
}

struct Outcome {
    bool valid;
    std::vector<std::string> messages;
    std::vector<Pos> positions;
    std::unique_ptr<JVDoc> instance;  // kept so that positions can be compared with its nodes
};

Outcome check(JVSchema const& schema, std::string_view instanceText) {
    Outcome outcome;
    outcome.instance = readJsonString(instanceText);
    JVValidationResult result;
    outcome.valid = schema.validate(*outcome.instance, result);
    for (auto const& issue : result.issues) {
        outcome.messages.push_back(issue.message);
        outcome.positions.push_back(issue.pos);
    }
    return outcome;
}

Outcome check6(std::string_view schemaText, std::string_view instanceText) {
    return check(*compile(draft06Uri, schemaText), instanceText);
}

Outcome check7(std::string_view schemaText, std::string_view instanceText) {
    return check(*compile(draft07Uri, schemaText), instanceText);
}

std::string compileFailure(std::string_view dialect, std::string_view schemaText) {
    try {
        compile(dialect, schemaText);
    } catch (JVError const& e) {
        return e.what();
    }
    return "compiled";
}

}  // namespace

TEST(Drafts, BoundsAreNumbersFromDraft6On) {
    for (auto dialect : {draft06Uri, draft07Uri}) {
        auto exclusive = compile(dialect, R"({"exclusiveMinimum": 0, "exclusiveMaximum": 10})");
        EXPECT_FALSE(check(*exclusive, "0").valid);
        EXPECT_THAT(check(*exclusive, "0").messages, ElementsAre("value is not greater than exclusive minimum"));
        EXPECT_TRUE(check(*exclusive, "0.1").valid);
        EXPECT_TRUE(check(*exclusive, "9.999").valid);
        EXPECT_THAT(check(*exclusive, "10").messages, ElementsAre("value is not less than exclusive maximum"));
        EXPECT_TRUE(check(*exclusive, R"("not a number")").valid);

        // The draft-4 boolean modifiers are gone: "minimum" is inclusive whatever stands beside it.
        EXPECT_EQ(compileFailure(dialect, R"({"minimum": 1, "exclusiveMinimum": true})"),
                  "exclusiveMinimum value must be a number");
        auto inclusive = compile(dialect, R"({"minimum": 1, "maximum": 2})");
        EXPECT_TRUE(check(*inclusive, "1").valid);
        EXPECT_TRUE(check(*inclusive, "2").valid);
        EXPECT_THAT(check(*inclusive, "0.5").messages, ElementsAre("value is less than minimum"));
    }
}

TEST(Drafts, ConstComparesTypeAndValue) {
    auto schema = compile(draft06Uri, R"({"const": {"a": [1, 2]}})");
    EXPECT_TRUE(check(*schema, R"({"a": [1, 2.0]})").valid);
    auto wrong = check(*schema, R"({"a": [2, 1]})");
    EXPECT_FALSE(wrong.valid);
    EXPECT_THAT(wrong.messages, ElementsAre("value does not match const"));
    EXPECT_EQ(wrong.positions[0], wrong.instance->root()->pos);
    EXPECT_FALSE(check7(R"({"const": 1})", R"("1")").valid);
    EXPECT_FALSE(check7(R"({"const": false})", "0").valid);
    EXPECT_TRUE(check7(R"({"const": null})", "null").valid);
}

TEST(Drafts, ContainsReportsAtTheArrayAndDropsTheElementsThatDidNotMatch) {
    auto schema = compile(draft07Uri, R"({"contains": {"type": "integer", "minimum": 5}})");
    EXPECT_TRUE(check(*schema, R"([1, "x", 7])").valid);
    EXPECT_THAT(check(*schema, R"([1, "x", 7])").messages, IsEmpty());
    auto none = check(*schema, R"([1, "x"])");
    EXPECT_FALSE(none.valid);
    EXPECT_THAT(none.messages, ElementsAre("array does not contain enough items matching schema"));
    EXPECT_EQ(none.positions[0], none.instance->root()->pos);
    EXPECT_FALSE(check(*schema, "[]").valid);
    EXPECT_TRUE(check(*schema, R"({"not": "an array"})").valid);
    // "minContains" belongs to later drafts: draft 7 still needs one match.
    EXPECT_FALSE(check7(R"({"contains": {"const": 1}, "minContains": 0})", "[2]").valid);
}

TEST(Drafts, PropertyNamesValidateEachNameAsAString) {
    auto schema = compile(draft06Uri, R"({"propertyNames": {"maxLength": 3, "pattern": "^[a-z]+$"}})");
    EXPECT_TRUE(check(*schema, R"({"abc": 1, "x": {}})").valid);
    auto outcome = check(*schema, R"({"abcd": 1, "ok": 2, "B": 3})");
    EXPECT_FALSE(outcome.valid);
    // Names are visited in key order; each bad name is reported with the issue of its first failing keyword.
    EXPECT_THAT(outcome.messages, ElementsAre("string does not match pattern", "property name B is invalid",
                                              "string is too long", "property name abcd is invalid"));
    for (auto const& pos : outcome.positions) EXPECT_EQ(pos, outcome.instance->root()->pos);
    EXPECT_TRUE(check(*schema, R"(["abcdef"])").valid);
    EXPECT_FALSE(check7(R"({"propertyNames": false})", R"({"a": 1})").valid);
    EXPECT_TRUE(check7(R"({"propertyNames": false})", "{}").valid);
}

TEST(Drafts, ConditionalPicksThenOrElseAndKeepsNoIssuesOfTheQuestion) {
    auto schema = compile(draft07Uri, R"({"if": {"type": "string"}, "then": {"minLength": 2}})");
    auto shortString = check(*schema, R"("a")");
    EXPECT_FALSE(shortString.valid);
    EXPECT_THAT(shortString.messages, ElementsAre("string is too short", "values does not match the then schema"));
    EXPECT_TRUE(check(*schema, "5").valid);
    EXPECT_TRUE(check(*schema, R"("ab")").valid);

    auto withElse = compile(draft07Uri, R"({"if": {"required": ["a"]}, "then": {"required": ["b"]},
                                            "else": {"maxProperties": 0}})");
    // A failing condition is not a finding: the valid instance must come back without issues.
    auto elseTaken = check(*withElse, "{}");
    EXPECT_TRUE(elseTaken.valid);
    EXPECT_THAT(elseTaken.messages, IsEmpty());
    EXPECT_THAT(check(*withElse, R"({"c": 1})").messages,
                ElementsAre("object has too many properties", "values does not match the else schema"));
    EXPECT_THAT(check(*withElse, R"({"a": 1})").messages,
                ElementsAre("Required property 'b' is missing", "values does not match the then schema"));

    // Without "if", "then" and "else" never apply.
    EXPECT_TRUE(check7(R"({"then": false, "else": false})", "1").valid);
    // Draft 6 does not know the keywords at all.
    EXPECT_TRUE(check6(R"({"if": true, "then": false})", "1").valid);
}

TEST(Drafts, ContentDecodesBase64AndParsesJson) {
    auto schema = compile(draft07Uri, R"({"contentEncoding": "base64", "contentMediaType": "application/json"})");
    EXPECT_TRUE(check(*schema, R"("eyJhIjogMX0=")").valid);  // {"a": 1}
    EXPECT_THAT(check(*schema, R"("eyJhIjo")").messages, ElementsAre("invalid base64 string"));
    EXPECT_THAT(check(*schema, R"("e30K!")").messages, ElementsAre("invalid base64 string"));
    EXPECT_THAT(check(*schema, R"("eyJhIjogfQ==")").messages, ElementsAre("invalid JSON string"));  // {"a": }
    EXPECT_TRUE(check(*schema, "12").valid);

    auto jsonOnly = compile(draft07Uri, R"({"contentMediaType": "Application/JSON; charset=utf-8"})");
    EXPECT_TRUE(check(*jsonOnly, R"("[1, 2]")").valid);
    EXPECT_FALSE(check(*jsonOnly, R"("[1, 2")").valid);
    EXPECT_TRUE(check7(R"({"contentMediaType": "text/plain"})", R"("[1, 2")").valid);

    EXPECT_EQ(compileFailure(draft07Uri, R"({"contentEncoding": "rot13"})"), "Invalid encoding: rot13");
    EXPECT_EQ(compileFailure(draft07Uri, R"({"contentMediaType": "json"})"), "Invalid media type: json");
    EXPECT_EQ(compileFailure(draft07Uri, R"({"contentMediaType": 1})"), "contentMediaType must be a string");
}

TEST(Drafts, ReferenceSiblingsDifferBetweenDraft6AndDraft7) {
    // Draft 6 keeps the definitions beside "$ref" (so references into them work) but no assertion.
    auto six = compile(draft06Uri, R"({"definitions": {"a": {"minimum": 1}}, "$ref": "#/definitions/a",
                                       "type": "string"})");
    EXPECT_TRUE(check(*six, "2").valid);
    EXPECT_FALSE(check(*six, "0").valid);
    auto seven = compile(draft07Uri, R"({"definitions": {"a": {"minimum": 1}}, "$ref": "#/definitions/a",
                                         "type": "string"})");
    EXPECT_TRUE(check(*seven, "2").valid);
    EXPECT_FALSE(check(*seven, "0").valid);
}

TEST(Drafts, PlainNameIdentifiersAndNestedBasesResolve) {
    auto schema = compile(draft07Uri, R"({
        "$id": "http://example.com/root.json",
        "definitions": {
            "named": {"$id": "#named", "type": "integer"},
            "nested": {"$id": "nested/other.json", "definitions": {"x": {"$id": "#x", "type": "string"}}}
        },
        "properties": {
            "a": {"$ref": "#named"},
            "b": {"$ref": "nested/other.json#x"},
            "c": {"$ref": "http://example.com/nested/other.json#/definitions/x"}
        }
    })");
    EXPECT_TRUE(check(*schema, R"({"a": 1, "b": "s", "c": "t"})").valid);
    EXPECT_THAT(check(*schema, R"({"a": "1"})").messages, ElementsAre("type mismatch", "property a is invalid"));
    EXPECT_FALSE(check(*schema, R"({"b": 1})").valid);
    EXPECT_FALSE(check(*schema, R"({"c": 1})").valid);
}

TEST(Drafts, MetaSchemasCompileAndJudgeSchemas) {
    for (JVSchema const* meta : {draft6::Draft6Dialect::metaSchema(), draft7::Draft7Dialect::metaSchema()}) {
        ASSERT_NE(meta, nullptr);
        EXPECT_TRUE(check(*meta, R"({"type": "object", "properties": {"a": {"const": 1}}})").valid);
        EXPECT_FALSE(check(*meta, R"({"minLength": -1})").valid);
        EXPECT_FALSE(check(*meta, R"({"exclusiveMinimum": true})").valid);
    }
    EXPECT_FALSE(check(*draft7::Draft7Dialect::metaSchema(), R"({"if": 3})").valid);
}

TEST(Drafts, AnnotationKeywordsCheckTheirValueType) {
    EXPECT_EQ(compileFailure(draft07Uri, R"({"$comment": 1})"), "$comment must be a string");
    EXPECT_EQ(compileFailure(draft07Uri, R"({"readOnly": "yes"})"), "readOnly must be a boolean");
    EXPECT_EQ(compileFailure(draft06Uri, R"({"examples": 1})"), "examples must be an array");
    EXPECT_EQ(compileFailure(draft06Uri, R"({"contains": 1})"), "contains must be an object or a boolean");
    EXPECT_EQ(compileFailure(draft06Uri, R"({"$id": 1})"), "$id must be a string");
    EXPECT_TRUE(check7(R"({"$comment": "x", "readOnly": true, "writeOnly": false, "examples": [1]})", "null").valid);
}

// ---------------------------------------------------------------------------------------------------------------
// 2019-09 and 2020-12

namespace {

Outcome check19(std::string_view schemaText, std::string_view instanceText) {
    return check(*compile(draft201909Uri, schemaText), instanceText);
}

Outcome check20(std::string_view schemaText, std::string_view instanceText) {
    return check(*compile(draft202012Uri, schemaText), instanceText);
}

}  // namespace

TEST(Drafts, PrefixItemsThenItems) {
    auto schema = compile(draft202012Uri, R"({"prefixItems": [{"type": "string"}], "items": false})");
    EXPECT_TRUE(check(*schema, R"(["a"])").valid);
    EXPECT_TRUE(check(*schema, "[]").valid);
    auto extra = check(*schema, R"(["a", 1])");
    EXPECT_FALSE(extra.valid);
    ASSERT_THAT(extra.messages, ElementsAre("array item does not match schema"));
    EXPECT_EQ(extra.positions[0], extra.instance->root()->items()[1]->pos);
    EXPECT_THAT(check(*schema, "[1]").messages, ElementsAre("type mismatch", "array item does not match schema"));
    EXPECT_EQ(compileFailure(draft202012Uri, R"({"items": [{}]})"), "items schema must be an object");
}

TEST(Drafts, ReferenceIsOneApplicatorAmongOthersFrom201909) {
    auto schema =
        compile(draft201909Uri, R"({"$ref": "#/$defs/a", "type": "string", "$defs": {"a": {"minLength": 1}}})");
    EXPECT_TRUE(check(*schema, R"("x")").valid);
    EXPECT_THAT(check(*schema, R"("")").messages, ElementsAre("string is too short"));
    EXPECT_THAT(check(*schema, "5").messages, ElementsAre("type mismatch"));
    // An "$id" beside "$ref" is the base the reference resolves against.
    auto based = compile(draft202012Uri, R"({"$id": "http://example.com/a/root.json", "$defs": {
        "inner": {"$id": "http://example.com/b/inner.json", "$ref": "leaf.json"},
        "leaf": {"$id": "http://example.com/b/leaf.json", "type": "integer"}}, "$ref": "/b/inner.json"})");
    EXPECT_TRUE(check(*based, "1").valid);
    EXPECT_FALSE(check(*based, R"("1")").valid);
}

TEST(Drafts, DependentKeywordsReportAtTheObject) {
    auto schema = compile(draft201909Uri, R"({"dependentRequired": {"a": ["c", "b"]},
                                              "dependentSchemas": {"x": {"required": ["y"]}}})");
    EXPECT_TRUE(check(*schema, R"({"b": 1})").valid);
    auto missing = check(*schema, R"({"a": 1})");
    EXPECT_THAT(missing.messages, ElementsAre("property b is required", "property c is required"));
    EXPECT_EQ(missing.positions[0], missing.instance->root()->pos);
    // Schemas come first in the order; a failing one hides the names after it.
    EXPECT_THAT(check(*schema, R"({"x": 1, "a": 1})").messages,
                ElementsAre("Required property 'y' is missing", "property x is invalid"));
    EXPECT_EQ(compileFailure(draft201909Uri, R"({"dependentRequired": {"a": "b"}})"),
              "dependentRequired must be an array");
    EXPECT_EQ(compileFailure(draft201909Uri, R"({"dependentRequired": {"a": [1]}})"),
              "dependentRequired array must contain only strings");
    EXPECT_EQ(compileFailure(draft201909Uri, R"({"deprecated": "no"})"), "deprecated must be a boolean");
    EXPECT_EQ(compileFailure(draft201909Uri, R"({"$vocabulary": {"x": 1}})"), "vocabulary must be a boolean");
    EXPECT_EQ(compileFailure(draft201909Uri, R"({"$recursiveAnchor": 1})"),
              "recursiveAnchor must be a boolean or a string");
}

TEST(Drafts, UnevaluatedPropertiesSeeOnlyWhatPassingApplicatorsEvaluated) {
    auto schema = compile(draft202012Uri, R"({
        "properties": {"a": true},
        "anyOf": [{"properties": {"b": true}, "required": ["b"]}, {"properties": {"c": true}, "required": ["c"]}],
        "unevaluatedProperties": false})");
    // Both anyOf branches pass: each one's member counts, although anyOf could have stopped at the first.
    EXPECT_TRUE(check(*schema, R"({"a": 1, "b": 2, "c": 3})").valid);
    auto extra = check(*schema, R"({"a": 1, "b": 2, "d": 4})");
    EXPECT_FALSE(extra.valid);
    EXPECT_THAT(extra.messages, ElementsAre("property d is invalid"));
    EXPECT_EQ(extra.positions[0], extra.instance->root()->pos);
    // A member that only a failing branch names stays unevaluated.
    auto failing = compile(draft202012Uri, R"({"anyOf": [{"properties": {"b": true}, "required": ["b"]},
        {"properties": {"c": true}, "required": ["x"]}], "unevaluatedProperties": false})");
    EXPECT_THAT(check(*failing, R"({"b": 1, "c": 2})").messages, ElementsAre("property c is invalid"));

    // Conditionals and references count; "not" never does.
    auto conditional = compile(draft201909Uri, R"({"if": {"properties": {"k": {"const": 1}}},
        "then": {"properties": {"t": true}}, "$ref": "#/$defs/r", "$defs": {"r": {"properties": {"r": true}}},
        "not": {"properties": {"n": false}, "required": ["n"]}, "unevaluatedProperties": false})");
    EXPECT_TRUE(check(*conditional, R"({"k": 1, "t": 1, "r": 1})").valid);
    EXPECT_FALSE(check(*conditional, R"({"k": 2, "t": 1})").valid);
    EXPECT_FALSE(check(*conditional, R"({"n": 1})").valid);

    // What the surrounding schema evaluated is not visible inside a subschema.
    auto nested = compile(draft202012Uri, R"({"properties": {"a": true},
        "allOf": [{"unevaluatedProperties": false}]})");
    EXPECT_FALSE(check(*nested, R"({"a": 1})").valid);
}

TEST(Drafts, UnevaluatedItemsFollowTheItemsKeywordsOfTheDraft) {
    auto modern = compile(draft202012Uri, R"({"prefixItems": [true], "contains": {"type": "string"},
                                              "unevaluatedItems": {"type": "integer"}})");
    EXPECT_TRUE(check(*modern, R"([null, "s", 3])").valid);
    auto wrong = check(*modern, R"([null, "s", 3.5])");
    EXPECT_THAT(wrong.messages, ElementsAre("type mismatch", "array item does not match schema"));
    EXPECT_EQ(wrong.positions[0], wrong.instance->root()->items()[2]->pos);
    // In 2019-09 "contains" evaluates nothing for "unevaluatedItems".
    EXPECT_FALSE(
        check19(R"({"items": [true], "contains": {"type": "string"}, "unevaluatedItems": false})", R"([null, "s"])")
            .valid);
    EXPECT_TRUE(check19(R"({"items": [true], "additionalItems": true, "unevaluatedItems": false})", "[1, 2, 3]").valid);
    EXPECT_FALSE(check20(R"({"unevaluatedItems": false})", "[1]").valid);
}

TEST(Drafts, EvaluatedMembersOfLargeObjectsAreTrackedOneByOneAndLeaveNothingBehind) {
    // 300 members: what the schemas evaluated spans several words of bits, and the group's own set lives on the heap.
    auto schema = compile(draft202012Uri, R"({"allOf": [{"patternProperties": {"[02468]$": {"const": "even"}}}],
        "properties": {"p299": true}, "unevaluatedProperties": {"const": "odd"}})");
    std::string members;
    for (int i = 0; i < 300; ++i) {
        members += fmt::format(R"({}"p{}": "{}")", i == 0 ? "" : ", ", i, i == 299 ? "last" : i % 2 ? "odd" : "even");
    }
    auto passing = check(*schema, "{" + members + "}");
    EXPECT_TRUE(passing.valid) << ::testing::PrintToString(passing.messages);
    std::string oneWrong = members;
    oneWrong.replace(oneWrong.find(R"("p297": "odd")"), 13, R"("p297": "bad")");
    EXPECT_THAT(check(*schema, "{" + oneWrong + "}").messages,
                ElementsAre("value does not match const", "property p297 is invalid"));

    // Every object passes through "unevaluatedProperties", but nothing of that stays in the result.
    auto tree = compile(draft202012Uri, R"({"$defs": {"ext": {"patternProperties": {"^x-": true}},
        "node": {"$ref": "#/$defs/ext", "properties": {"kids": {"type": "array", "items": {"$ref": "#/$defs/node"}}},
                 "unevaluatedProperties": false}}, "$ref": "#/$defs/node"})");
    for (auto text :
         {R"({"x-a": 1, "kids": [{"kids": []}, {"x-b": 2, "kids": [{}]}]})", R"({"kids": [{"other": 1}]})"}) {
        auto instance = readJsonString(text);
        JVValidationResult result;
        tree->validate(*instance, result);
        EXPECT_THAT(result.annotations, IsEmpty()) << text;
    }
}

TEST(Drafts, DynamicReferencesBindToTheOutermostAnchor) {
    // A generic list whose element type the outer schema fills in.
    auto schema = compile(draft202012Uri, R"({
        "$id": "https://example.com/strings",
        "$ref": "list",
        "$defs": {
            "element": {"$dynamicAnchor": "element", "type": "string"},
            "list": {"$id": "list", "type": "array", "items": {"$dynamicRef": "#element"},
                     "$defs": {"element": {"$dynamicAnchor": "element"}}}
        }})");
    EXPECT_TRUE(check(*schema, R"(["a", "b"])").valid);
    EXPECT_THAT(check(*schema, R"(["a", 1])").messages,
                ElementsAre("type mismatch", "array item does not match schema"));

    auto recursive = compile(draft201909Uri, R"({
        "$id": "https://example.com/tree", "$recursiveAnchor": true, "$ref": "node",
        "properties": {"name": {"type": "string"}},
        "$defs": {"node": {"$id": "node", "$recursiveAnchor": true, "type": "object",
                           "properties": {"children": {"type": "array", "items": {"$recursiveRef": "#"}}}}}})");
    EXPECT_TRUE(check(*recursive, R"({"name": "a", "children": [{"name": "b"}]})").valid);
    // The child is checked against the outer schema, which requires a string name.
    EXPECT_FALSE(check(*recursive, R"({"name": "a", "children": [{"name": 1}]})").valid);
}

TEST(Drafts, OpenApi31SchemaFollowsItsDynamicMetaAnchor) {
    JVSchema const* openapi = openapi31MetaSchema();
    ASSERT_NE(openapi, nullptr);
    auto bookshop = readFile(std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "openapi" / "bookshop-3.1.yaml");
    JVValidationResult clean;
    EXPECT_TRUE(openapi->validate(*bookshop, clean));
    EXPECT_THAT(clean.issues, IsEmpty());

    // A Schema Object must be an object or a boolean: only the "$dynamicRef": "#meta" of the components reaches
    // that rule.
    auto broken = readYamlString(
        "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\ncomponents:\n  schemas:\n    Pet: 5\n");
    JVValidationResult result;
    EXPECT_FALSE(openapi->validate(*broken, result));
    JV const* pet = broken->root()->property("components")->property("schemas")->property("Pet");
    ASSERT_FALSE(result.issues.empty());
    EXPECT_EQ(result.issues.front().message, "type mismatch");
    EXPECT_EQ(result.issues.front().pos, pet->pos);

    // The plain schema leaves the inside of a Schema Object alone; the schema-base variant checks it against the
    // OpenAPI dialect, which knows that "type" names types.
    auto badType = readYamlString(
        "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\ncomponents:\n  schemas:\n    Pet: {type: 5}\n");
    JVValidationResult plain;
    EXPECT_TRUE(openapi->validate(*badType, plain));
    JVSchema const* withDialect = loadBuiltInSchema("https://spec.openapis.org/oas/3.1/schema-base/2022-10-07");
    ASSERT_NE(withDialect, nullptr);
    JVValidationResult strict;
    EXPECT_FALSE(withDialect->validate(*badType, strict));
    JV const* type = badType->root()->property("components")->property("schemas")->property("Pet")->property("type");
    bool pointsAtType = false;
    for (auto const& issue : strict.issues) pointsAtType = pointsAtType || issue.pos == type->pos;
    EXPECT_TRUE(pointsAtType);
    JVValidationResult good;
    EXPECT_TRUE(withDialect->validate(*bookshop, good));
    EXPECT_THAT(good.issues, IsEmpty());
}
