// Draft-4 behaviour the official suite does not look at: the exact issue messages and where they point, the
// order of issues, what later keywords leave out once an earlier one failed, compilation errors, and the
// regular-expression and duplicate-detection guards.

#include "zephalon/jv_schema/draft4.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "keywords.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/formats.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon;
using namespace zephalon::jv;
using namespace zephalon::jv::schema;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::unique_ptr<JVDoc> parse(std::string_view text) { return readJsonString(text); }

// Compiles a draft-4 schema written without "$schema".
std::unique_ptr<JVSchema> compileDraft4(std::string_view schemaText) {
    auto doc = parse(schemaText);
    JV* root = doc->root();
    if (root->isObject() && !root->hasProperty("$schema")) root->setStringProperty("$schema", draft04Uri);
    return std::make_unique<JVSchema>(*root);
}

struct Outcome {
    bool valid;
    std::vector<std::string> messages;
    std::vector<Pos> positions;
};

Outcome check(JVSchema const& schema, std::string_view instanceText) {
    auto doc = parse(instanceText);
    JVValidationResult result;
    Outcome outcome;
    outcome.valid = schema.validate(*doc, result);
    for (auto const& issue : result.issues) {
        outcome.messages.push_back(issue.message);
        outcome.positions.push_back(issue.pos);
    }
    return outcome;
}

Outcome check(std::string_view schemaText, std::string_view instanceText) {
    return check(*compileDraft4(schemaText), instanceText);
}

// The message of the JVError a schema fails to compile with, and the value it carries.
std::pair<std::string, std::string> compileFailure(std::string_view schemaText) {
    auto doc = parse(schemaText);
    JV* root = doc->root();
    if (!root->hasProperty("$schema")) root->setStringProperty("$schema", draft04Uri);
    try {
        JVSchema schema(*root);
    } catch (JVError const& e) {
        std::string value;
        if (e.node && e.node->isString()) value = std::string(e.node->stringValue());
        if (e.node && e.node->isNumber()) value = e.node->numberValue().string();
        if (e.node && e.node->isObject()) value = "{object}";
        if (e.node && e.node->isArray()) value = "[array]";
        return {e.what(), value};
    }
    return {"compiled", ""};
}

}  // namespace

TEST(Draft4, IssueMessagesOfEachKeyword) {
    struct Case {
        char const* schema;
        char const* instance;
        char const* message;
    };
    Case const cases[] = {
        {R"({"type": "integer"})", "3.5", "type mismatch"},
        {R"({"minimum": 2})", "1", "value is less than minimum"},
        {R"({"minimum": 2, "exclusiveMinimum": true})", "2", "value is less than minimum"},
        {R"({"maximum": 2})", "3", "value is greater than maximum"},
        {R"({"maximum": 2, "exclusiveMaximum": true})", "2", "value is greater than maximum"},
        {R"({"minLength": 3})", R"("ab")", "string is too short"},
        {R"({"maxLength": 1})", R"("ab")", "string is too long"},
        {R"({"pattern": "^a"})", R"("ba")", "string does not match pattern"},
        {R"({"minItems": 2})", "[1]", "array is too short"},
        {R"({"maxItems": 0})", "[1]", "array is too long"},
        {R"({"uniqueItems": true})", "[1, 1.0]", "array has duplicate items"},
        {R"({"minProperties": 1})", "{}", "object has too few properties"},
        {R"({"maxProperties": 0})", R"({"a": 1})", "object has too many properties"},
        {R"({"required": ["a"]})", "{}", "Required property 'a' is missing"},
        {R"({"dependencies": {"a": ["b"]}})", R"({"a": 1})", "required property b is missing"},
    };
    for (auto const& c : cases) {
        auto outcome = check(c.schema, c.instance);
        EXPECT_FALSE(outcome.valid) << c.schema;
        EXPECT_THAT(outcome.messages, ElementsAre(c.message)) << c.schema << " on " << c.instance;
    }
}

TEST(Draft4, SilentKeywordsFailWithoutIssues) {
    char const* const schemas[] = {
        R"({"enum": [1, 2]})",    R"({"multipleOf": 2})",
        R"({"not": {}})",         R"({"anyOf": [{"enum": [0]}]})",
        R"({"oneOf": [{}, {}]})", R"({"$ref": "#/definitions/missing"})",
        R"({"enum": []})",
    };
    for (char const* schema : schemas) {
        auto outcome = check(schema, "3");
        EXPECT_FALSE(outcome.valid) << schema;
        EXPECT_THAT(outcome.messages, IsEmpty()) << schema;
    }
}

TEST(Draft4, IssuesPointAtTheInstanceValueConcerned) {
    auto schema = compileDraft4(R"({"properties": {"a": {"items": {"type": "string"}}}})");
    // Line and column (1-based) of the element 2, its array and the object.
    auto outcome = check(*schema, "{\n  \"a\": [\"x\",\n        2]\n}");
    EXPECT_FALSE(outcome.valid);
    EXPECT_THAT(outcome.messages, ElementsAre("type mismatch", "array item does not match schema",
                                              "array item does not match schema", "property a is invalid"));
    EXPECT_EQ(outcome.positions[0], (Pos{3, 9}));
    EXPECT_EQ(outcome.positions[1], (Pos{3, 9}));
    EXPECT_EQ(outcome.positions[2], (Pos{2, 8}));
    EXPECT_EQ(outcome.positions[3], (Pos{1, 1}));

    JVValidationResult result;
    result.addIssue("no instance", nullptr);
    EXPECT_EQ(result.issues[0].pos, Pos{});
}

TEST(Draft4, AFailingKeywordHidesTheIssuesOfLaterOnes) {
    // "type" comes before "required", "minLength" before "pattern", "minItems" before "uniqueItems".
    EXPECT_THAT(check(R"({"required": ["a"], "type": "array"})", "{}").messages, ElementsAre("type mismatch"));
    EXPECT_THAT(check(R"({"pattern": "^b", "minLength": 5})", R"("abc")").messages, ElementsAre("string is too short"));
    EXPECT_THAT(check(R"({"uniqueItems": true, "minItems": 3})", "[1, 1]").messages, ElementsAre("array is too short"));
    // Once "maximum" fails, "multipleOf" does not run at all; with "maximum" satisfied it fails silently.
    EXPECT_THAT(check(R"({"maximum": 1, "multipleOf": 2})", "3").messages,
                ElementsAre("value is greater than maximum"));
    EXPECT_FALSE(check(R"({"maximum": 10, "multipleOf": 2})", "3").valid);
}

TEST(Draft4, RequiredReportsEveryMissingNameInSortedOrder) {
    EXPECT_THAT(check(R"({"required": ["b", "a", "b"]})", R"({"c": 1})").messages,
                ElementsAre("Required property 'a' is missing", "Required property 'b' is missing"));
}

TEST(Draft4, PropertiesGroupReportsPropertiesThenPatternsAndAdditionalSilently) {
    auto schema = compileDraft4(R"({
        "properties": {"b": {"type": "string"}, "a": {"type": "string"}},
        "patternProperties": {"^x": {"type": "integer"}},
        "additionalProperties": false})");
    auto outcome = check(*schema, R"({"xa": "s", "b": 1, "a": 2, "other": true})");
    EXPECT_FALSE(outcome.valid);
    EXPECT_THAT(outcome.messages, ElementsAre("type mismatch", "property a is invalid", "type mismatch",
                                              "property b is invalid", "type mismatch", "property xa is invalid"));
    // Only the extra member is wrong: the group fails without an issue of its own.
    auto extra = check(*schema, R"({"a": "s", "other": 1})");
    EXPECT_FALSE(extra.valid);
    EXPECT_THAT(extra.messages, IsEmpty());
    EXPECT_TRUE(check(*schema, R"({"a": "s", "x1": 1})").valid);
}

TEST(Draft4, ItemsGroupContinuesWhereItemsStopped) {
    auto tuple = compileDraft4(R"({"items": [{}], "additionalItems": false})");
    auto outcome = check(*tuple, "[1, 2, 3]");
    EXPECT_FALSE(outcome.valid);
    EXPECT_THAT(outcome.messages, ElementsAre("array item does not match schema", "array item does not match schema",
                                              "array item does not match schema"));
    EXPECT_TRUE(check(*tuple, "[1]").valid);
    // Without "items", "additionalItems" means nothing.
    EXPECT_TRUE(check(R"({"additionalItems": false})", "[1, 2]").valid);

    auto single = compileDraft4(R"({"items": {"type": "integer"}, "additionalItems": false})");
    EXPECT_TRUE(check(*single, "[1, 2, 3]").valid);

    // The annotation records how far "items" got.
    auto doc = parse("[1, 2, 3]");
    JVValidationResult result;
    tuple->validate(*doc, result);
    auto const* count = dynamic_cast<ItemsCountAnnotation const*>(result.findAnnotation(doc->root(), "itemsCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->count, 1u);
}

TEST(Draft4, DependenciesCheckSchemasBeforeNames) {
    auto outcome = check(R"({"dependencies": {"a": ["c"], "b": {"required": ["d"]}}})", R"({"a": 1, "b": 2})");
    EXPECT_THAT(outcome.messages, ElementsAre("Required property 'd' is missing", "property b is invalid",
                                              "required property c is missing"));
}

TEST(Draft4, NumbersAndLengths) {
    EXPECT_TRUE(check(R"({"type": "integer"})", "3.0").valid);
    EXPECT_TRUE(check(R"({"type": "integer"})", "3").valid);
    EXPECT_TRUE(check(R"({"type": ["string", "number"]})", "3.5").valid);
    // Two characters of two bytes each.
    EXPECT_TRUE(check(R"({"minLength": 2, "maxLength": 2})", "\"\xC3\xA9\xC3\xA9\"").valid);
    EXPECT_TRUE(check(R"({"pattern": "b"})", R"("abc")").valid);
    EXPECT_TRUE(check(R"({"multipleOf": 0.1})", "0.3").valid);
    // Exact comparison beyond the double range and the 64-bit integers.
    EXPECT_FALSE(check(R"({"maximum": 18446744073709551615})", "18446744073709551616").valid);
    EXPECT_TRUE(check(R"({"minimum": 1e400})", "2e400").valid);
    EXPECT_TRUE(check(R"({"enum": [1.0]})", "1").valid);
}

TEST(Draft4, ReferenceReplacesItsSiblings) {
    auto schema = compileDraft4(R"({
        "definitions": {"a": {"type": "integer"}},
        "properties": {"p": {"$ref": "#/definitions/a", "type": "string", "maximum": 0}}})");
    EXPECT_TRUE(check(*schema, R"({"p": 5})").valid);
    auto outcome = check(*schema, R"({"p": "s"})");
    EXPECT_THAT(outcome.messages, ElementsAre("type mismatch", "property p is invalid"));
    // At the root as well; definitions beside the reference stay reachable.
    auto root = compileDraft4(R"({"$ref": "#/definitions/a", "type": "string", "definitions": {"a": {"minimum": 2}}})");
    EXPECT_TRUE(check(*root, "5").valid);
    EXPECT_THAT(check(*root, "1").messages, ElementsAre("value is less than minimum"));
}

TEST(Draft4, SatisfiedApplicatorsDropTheIssuesOfBranchesThatFailed) {
    auto anyOf = check(R"({"anyOf": [{"type": "string"}, {"minimum": 2}]})", "3");
    EXPECT_TRUE(anyOf.valid);
    EXPECT_THAT(anyOf.messages, IsEmpty());
    auto oneOf = check(R"({"oneOf": [{"required": ["$ref"]}, {"required": ["a"]}]})", R"({"a": 1})");
    EXPECT_TRUE(oneOf.valid);
    EXPECT_THAT(oneOf.messages, IsEmpty());
    auto notOutcome = check(R"({"not": {"type": "string"}})", "3");
    EXPECT_TRUE(notOutcome.valid);
    EXPECT_THAT(notOutcome.messages, IsEmpty());
    // A failing applicator keeps what its branches found.
    auto failing = check(R"({"anyOf": [{"type": "string"}, {"minimum": 5}]})", "3");
    EXPECT_FALSE(failing.valid);
    EXPECT_THAT(failing.messages, ElementsAre("type mismatch", "value is less than minimum"));
    auto twoMatches = check(R"({"oneOf": [{"type": "integer"}, {"minimum": 5}, {"type": "string"}]})", "7");
    EXPECT_FALSE(twoMatches.valid);
    EXPECT_THAT(twoMatches.messages, ElementsAre("type mismatch"));
}

TEST(Draft4, CompilationErrorsNameTheProblemAndCarryTheValue) {
    struct Case {
        char const* schema;
        char const* message;
        char const* value;
    };
    Case const cases[] = {
        {R"({"type": 5})", "type must be a string or an array", "5"},
        {R"({"type": ["string", 5]})", "type array must contain only strings", "[array]"},
        {R"({"minLength": -1})", "minLength value cannot be negative", "-1"},
        {R"({"maxLength": -1})", "maxLength value cannot be negative", "-1"},
        {R"({"minItems": -1})", "minItems value cannot be negative", "-1"},
        {R"({"maxItems": -1})", "maxItems cannot be negative", "-1"},
        {R"({"minProperties": -2})", "minProperties value cannot be negative", "-2"},
        {R"({"maxProperties": -2})", "maxProperties value cannot be negative", "-2"},
        {R"({"minLength": "2"})", "minLength value must be a number", "2"},
        {R"({"maxItems": 1.5})", "maxItems value must be an integer", "1.5"},
        {R"({"multipleOf": "2"})", "multipleOf value must be a number", "2"},
        {R"({"multipleOf": 0})", "multipleOf value must be greater than 0", "0"},
        {R"({"uniqueItems": 1})", "uniqueItems value must be a boolean", "1"},
        {R"({"items": 1})", "items must be an object or an array", "1"},
        {R"({"required": ["a", 1]})", "required array must contain only strings", "[array]"},
        {R"({"required": {}})", "required must be an array", "{object}"},
        {R"({"dependencies": {"a": ["b", 2]}})", "dependency array must contain only strings", "[array]"},
        {R"({"properties": {"a": 5}})", "schema must be a boolean or an object", "5"},
        {R"({"$ref": 5})", "$ref must be a string", "5"},
        {R"({"id": 5})", "id must be a string", "5"},
        {R"({"format": 5})", "format must be a string", "5"},
        {R"({"properties": {"a": {"$schema": 4}}})", "Schema dialect must be a string", "4"},
        {R"({"$schema": "draft-04"})", "Unknown schema dialect: draft-04", "draft-04"},
        {R"({"$schema": "http://json-schema.org/draft-04/schema"})",
         "Unknown schema dialect: http://json-schema.org/draft-04/schema", "http://json-schema.org/draft-04/schema"},
        {R"({"pattern": "(a"})", "", "(a"},
    };
    for (auto const& c : cases) {
        auto [message, value] = compileFailure(c.schema);
        if (*c.message) {
            EXPECT_EQ(message, c.message) << c.schema;
        } else {
            EXPECT_TRUE(message.starts_with("invalid pattern: ")) << message;
        }
        EXPECT_EQ(value, c.value) << c.schema;
    }
    // An unknown type name is a plain runtime error, not about a value.
    EXPECT_THROW(compileDraft4(R"({"type": "float"})"), std::runtime_error);
    try {
        compileDraft4(R"({"type": "float"})");
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "Unknown type: float");
    }
}

TEST(Draft4, FormatAssertsOnlyInStrictModeAndOnlyForItsKind) {
    auto& registry = JVDialectRegistry::instance();
    bool saved = registry.strictFormat;
    registry.setStrictFormat(false);
    auto lenient = compileDraft4(R"({"format": "date"})");
    registry.setStrictFormat(true);
    auto strict = compileDraft4(R"({"format": "date"})");
    auto unknown = compileDraft4(R"({"format": "no-such-format"})");
    auto int32 = compileDraft4(R"({"format": "int32"})");
    registry.setStrictFormat(saved);

    EXPECT_TRUE(check(*lenient, R"("2020-02-30")").valid);
    EXPECT_FALSE(check(*strict, R"("2020-02-30")").valid);
    EXPECT_THAT(check(*strict, R"("2020-02-30")").messages, IsEmpty());
    EXPECT_TRUE(check(*strict, R"("2020-02-29")").valid);
    EXPECT_TRUE(check(*strict, "20200229").valid);
    EXPECT_TRUE(check(*unknown, R"("anything")").valid);
    EXPECT_TRUE(check(*int32, "2147483647").valid);
    EXPECT_FALSE(check(*int32, "2147483648").valid);
    EXPECT_FALSE(check(*int32, "1.5").valid);
    EXPECT_TRUE(check(*int32, R"("text")").valid);
}

TEST(Draft4, FormatTableAndWrappers) {
    ASSERT_EQ(draft4::formatValidatorFuncs.size(), 24u);
    EXPECT_EQ(draft4::formatValidatorFuncs.front().name, "date");
    EXPECT_EQ(draft4::formatValidatorFuncs.back().name, "password");
    EXPECT_EQ(draft4::findFormatValidator("unknown"), nullptr);
    auto doc = parse(R"(["2016-12-31T23:59:60Z", "", 3.4028234663852886e38, 3.5e38, -9223372036854775808, 5])");
    auto items = doc->root()->items();
    EXPECT_TRUE(validateDateTime(items[0]));
    EXPECT_FALSE(validateDate(items[0]));
    EXPECT_FALSE(validatePassword(items[1]));
    EXPECT_TRUE(validateFloat(items[2]));
    EXPECT_FALSE(validateFloat(items[3]));
    EXPECT_TRUE(validateInt64(items[4]));
    EXPECT_FALSE(validateInt32(items[4]));
    EXPECT_FALSE(validateDate(items[5]));
    EXPECT_FALSE(validateInt32(items[0]));
    EXPECT_FALSE(validateUri(nullptr));
}

TEST(Draft4, PatternsSearchWithEcmaScriptMeaning) {
    EXPECT_TRUE(draft4::createEcmaScriptRegex("\\p{Letter}\\p{digit}")
                    .search("--\xC3\xA9"
                            "1--"));
    EXPECT_FALSE(draft4::createEcmaScriptRegex("^\\p{digit}+$").search("12a"));
    // ECMAScript's "$" matches only at the very end.
    EXPECT_FALSE(draft4::createEcmaScriptRegex("^a$").search("a\n"));
    // Escaped punctuation is only valid without the Unicode flag; such patterns still compile.
    EXPECT_TRUE(draft4::createEcmaScriptRegex("^\\@").search("@x"));
    EXPECT_THROW(draft4::createEcmaScriptRegex("(a"), RegexError);
    EXPECT_TRUE(check(R"({"patternProperties": {"\\p{digit}": {"type": "string"}}})", R"({"a1": "s", "b": 1})").valid);
    EXPECT_FALSE(check(R"({"patternProperties": {"\\p{digit}": {"type": "string"}}})", R"({"a1": 1})").valid);
}

TEST(Draft4, APatternBeyondTheMatchLimitCountsAsNoMatchAndValidationGoesOn) {
    auto schema = compileDraft4(R"({
        "properties": {"a": {"pattern": "^(a+)+$"}, "b": {"type": "string"}},
        "patternProperties": {"^(x+)+$": {"type": "string"}}})");
    std::string subject(30000, 'a');
    subject += 'b';
    std::string key(30000, 'x');
    key += 'y';
    std::string instance = "{\"a\": \"" + subject + "\", \"b\": 1, \"" + key + "\": 1}";
    auto start = std::chrono::steady_clock::now();
    auto outcome = check(*schema, instance);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(outcome.valid);
    // "a" fails on the limit, "b" is still checked; the long key matches no pattern and is left alone.
    EXPECT_THAT(outcome.messages, ElementsAre("string does not match pattern", "property a is invalid", "type mismatch",
                                              "property b is invalid"));
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

TEST(Draft4, DuplicatesNeedEqualityNotJustEqualHashes) {
    auto doc = parse(R"([1, "1", [1], {"1": 1}, null, true])");
    auto items = doc->root()->items();
    // Every element collides with every other one; none is equal to another.
    auto collide = [](JV const&) -> std::size_t { return 42; };
    EXPECT_FALSE(hasDuplicateItems(items, collide));
    auto twice = parse(R"([{"a": [1, 2]}, 3, {"a": [1, 2.0]}])");
    EXPECT_TRUE(hasDuplicateItems(twice->root()->items(), collide));
    EXPECT_TRUE(check(R"({"uniqueItems": true})", R"([{"a": 1}, {"a": 2}, [1], [1, 1]])").valid);
    EXPECT_FALSE(check(R"({"uniqueItems": false})", "[1, 1]").messages.size() > 0);
}

TEST(Draft4, TitleIsRecordedAsAnAnnotation) {
    auto schema = compileDraft4(R"({"title": "Thing", "type": "object"})");
    auto doc = parse("{}");
    JVValidationResult result;
    EXPECT_TRUE(schema->validate(*doc, result));
    auto const* title = dynamic_cast<TitleAnnotation const*>(result.findAnnotation(doc->root(), "title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->title, "Thing");
    result.removeAnnotation(doc->root(), "title");
    EXPECT_EQ(result.findAnnotation(doc->root(), "title"), nullptr);
}
