// The engine around the keywords: URL resolution, the context's URL map, dialect selection, built-in schemas,
// schema loaders and guarded references.

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/draft4.h"
#include "zephalon/jv_schema/schema.h"

using namespace zephalon;
using namespace zephalon::jv;
using namespace zephalon::jv::schema;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::unique_ptr<JVDoc> parse(std::string_view text) { return readJsonString(text); }

std::unique_ptr<JVSchema> compile(std::string_view text) {
    auto doc = parse(text);
    return std::make_unique<JVSchema>(*doc->root());
}

bool valid(JVSchema const& schema, std::string_view instance, JVValidationResult* out = nullptr) {
    auto doc = parse(instance);
    JVValidationResult result;
    bool ok = schema.validate(*doc, result);
    if (out) *out = std::move(result);
    return ok;
}

std::string const d4 = R"("$schema": "http://json-schema.org/draft-04/schema#")";

}  // namespace

TEST(Urls, ResolveFollowsRfc3986) {
    std::string const base = "http://a/b/c/d;p?q";
    std::pair<char const*, char const*> const cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {"./../g", "http://a/b/g"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/../y", "http://a/b/c/y"},
    };
    for (auto const& [ref, expected] : cases) EXPECT_EQ(resolveUrl(ref, base), expected) << ref;
    EXPECT_EQ(resolveUrl("x.json", "http://host"), "http://host/x.json");
    EXPECT_EQ(resolveUrl("urn:example:a", "http://host/"), "urn:example:a");
    // A schema read from a file may be given a relative base; references then resolve relative to it.
    EXPECT_EQ(resolveUrl("common.json", "schemas/api.json"), "schemas/common.json");
    // Hand-written references may hold characters a URL cannot; the identifier they name is spelled the same way.
    EXPECT_EQ(resolveReference("my schema.json#/a b", "http://x/dir/"), "http://x/dir/my%20schema.json#/a b");
}

TEST(Urls, AReferenceThatIsNoUriIsACompilationError) {
    auto doc = parse(R"({"properties": {"a": {"$ref": "http://[broken/x.json"}}})");
    JV const* ref = doc->root()->find(JVPointer("/properties/a/$ref"));
    try {
        JVSchema schema(*doc->root());
        ADD_FAILURE() << "compiled";
    } catch (JVError const& e) {
        EXPECT_STREQ(e.what(), "Invalid URI reference: http://[broken/x.json");
        EXPECT_EQ(e.node, ref);
    }
}

TEST(Urls, ReferencesDecodeTheirFragmentAndDropAnEmptyOne) {
    EXPECT_EQ(resolveReference("#/definitions/percent%25field", "http://x/s.json"),
              "http://x/s.json#/definitions/percent%field");
    EXPECT_EQ(resolveReference("#/definitions/foo%22bar", "http://x/s.json"), "http://x/s.json#/definitions/foo\"bar");
    EXPECT_EQ(resolveReference("other.json#", "http://x/dir/s.json#/a"), "http://x/dir/other.json");
    EXPECT_EQ(resolveReference("#", "http://x/s.json"), "http://x/s.json");
    EXPECT_EQ(resolveReference("http://json-schema.org/draft-04/schema#", defaultBaseUrl()),
              "http://json-schema.org/draft-04/schema");
    EXPECT_EQ(combineUrl("http://x/s", JVPointer(std::vector<std::string>{"properties", "a/b~c"})),
              "http://x/s#/properties/a~1b~0c");
    EXPECT_EQ(combineUrl("http://x/s", JVPointer()), "http://x/s");
    EXPECT_EQ(combineUrl("http://x/s#old", "new"), "http://x/s#new");
    EXPECT_EQ(appendFragmentSegment("/definitions", "a/b"), "/definitions/a~1b");
}

TEST(Context, BaseUrlStackAndPaths) {
    SchemaContext context;
    EXPECT_EQ(context.currentBaseUrl(), defaultBaseUrl());
    EXPECT_EQ(context.previousBaseUrl(), defaultBaseUrl());
    context.pushBaseUrl("http://example.test/root/schema.json");
    context.pushBaseUrl("nested/other.json");
    EXPECT_EQ(context.currentBaseUrl(), "http://example.test/root/nested/other.json");
    EXPECT_EQ(context.previousBaseUrl(), "http://example.test/root/schema.json");
    context.pushPath("properties");
    context.pushPath("a");
    JVSchema schema;
    context.addSchema(&schema);
    EXPECT_EQ(context.schemas.count("http://example.test/root/nested/other.json#/properties/a"), 1u);
    context.popPath();
    context.popPath();
    context.popBaseUrl();
    context.popBaseUrl();
    context.popBaseUrl();  // the bottom entry stays
    EXPECT_EQ(context.currentBaseUrl(), defaultBaseUrl());
}

TEST(Context, SubschemasAreRegisteredUnderTheirLocation) {
    auto schema = compile(R"({)" + d4 + R"(, "id": "http://example.test/s.json",
        "properties": {"a/b": {"items": [{}, {"id": "#second"}]}},
        "definitions": {"d": {"id": "other/", "definitions": {"e": {}}}}})");
    auto const& schemas = schema->context->schemas;
    std::vector<std::string> keys;
    for (auto const& [key, value] : schemas) keys.push_back(key);
    EXPECT_THAT(keys, Contains("http://example.test/s.json"));
    EXPECT_THAT(keys, Contains("http://example.test/s.json#/properties/a~1b/items/1"));
    EXPECT_THAT(keys, Contains("http://example.test/s.json#second"));
    EXPECT_THAT(keys, Contains("http://example.test/other/"));
    EXPECT_THAT(keys, Contains("http://example.test/other/#/definitions/e"));
    EXPECT_THAT(keys, Contains(defaultBaseUrl()));
    EXPECT_EQ(schema->context->dialect, draft04Uri);
    EXPECT_EQ(schema->context->findSchema("http://example.test/s.json#second", false),
              schemas.at("http://example.test/s.json#/properties/a~1b/items/1"));
}

TEST(Schemas, BooleanAndEmptySchemas) {
    auto empty = compile("{" + d4 + "}");
    // "$schema" itself compiles to a keyword; an object without any member accepts everything as well.
    EXPECT_TRUE(valid(*empty, "[1, {}]"));
    JVValidationResult result;
    EXPECT_TRUE(valid(*compile("true"), "1", &result));
    EXPECT_THAT(result.issues, IsEmpty());
    EXPECT_FALSE(valid(*compile("false"), "1", &result));
    EXPECT_THAT(result.issues, IsEmpty());
    EXPECT_TRUE(compile("true")->isBoolean());
    JVSchema nothing;
    EXPECT_TRUE(valid(nothing, "null"));
    auto number = parse("5");
    try {
        JVSchema schema(*number->root());
        ADD_FAILURE() << "a number is not a schema";
    } catch (JVError const& e) {
        EXPECT_STREQ(e.what(), "schema must be a boolean or an object");
        EXPECT_EQ(e.node, number->root());
    }
    // An empty document validates as null.
    JVDoc none;
    EXPECT_FALSE(compile("{" + d4 + R"(, "type": "string"})")->validate(none, result));
}

TEST(Dialects, SelectionAndDefaults) {
    auto& registry = JVDialectRegistry::instance();
    std::string saved = registry.defaultDialect;
    EXPECT_EQ(saved, draft202012Uri);
    registry.setDefaultDialect("draft-04");
    EXPECT_EQ(registry.defaultDialect, draft04Uri);
    // A subschema without "$schema" is compiled with the root's dialect, not the default.
    auto schema = compile(R"({"properties": {"a": {"type": "string"}}})");
    EXPECT_EQ(schema->context->dialect, draft04Uri);
    EXPECT_FALSE(valid(*schema, R"({"a": 1})"));
    registry.setDefaultDialect("https://json-schema.org/draft/2019-09/schema");
    EXPECT_EQ(registry.defaultDialect, draft201909Uri);
    try {
        registry.setDefaultDialect("draft-05");
        ADD_FAILURE() << "draft-05 is no dialect";
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "Unknown schema dialect: draft-05");
    }
    registry.defaultDialect = saved;
    EXPECT_THROW(registry.findDialect(std::string_view("draft-04")), JVError);
    EXPECT_NE(registry.findDialect(draft04Uri), nullptr);
}

TEST(BuiltIns, TextsAreThePublishedFilesVerbatim) {
    std::filesystem::path dir = std::filesystem::path(ZEPHALON_SOURCE_DIR) / "src" / "jv_schema" / "schemas";
    int checked = 0;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        auto doc = parse(text.str());
        JV const* id = doc->root()->property("$id");
        if (!id) id = doc->root()->property("id");
        ASSERT_NE(id, nullptr) << entry.path();
        EXPECT_EQ(builtInSchemaText(id->stringValue()), text.str()) << entry.path();
        ++checked;
    }
    EXPECT_EQ(checked, 24);
    EXPECT_EQ(builtInSchemaIds().size(), 24u);
    EXPECT_TRUE(builtInSchemaText("http://example.test/").empty());
}

TEST(BuiltIns, CompiledOnceAndFoundWithOrWithoutHash) {
    JVSchema const* a = loadBuiltInSchema("http://json-schema.org/draft-04/schema#");
    JVSchema const* b = loadBuiltInSchema("http://json-schema.org/draft-04/schema");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(draft4::Draft4Dialect::metaSchema(), a);
    EXPECT_EQ(loadBuiltInSchema("http://json-schema.org/draft-03/schema#"), nullptr);

    // The meta-schema accepts its own text and rejects a schema with a negative length.
    JVValidationResult result;
    EXPECT_TRUE(valid(*a, builtInSchemaText(draft04Uri), &result));
    EXPECT_THAT(result.issues, IsEmpty());
    EXPECT_FALSE(valid(*a, R"({"minLength": -1})", &result));
    EXPECT_FALSE(result.issues.empty());
}

TEST(BuiltIns, OpenApi30SchemaValidatesDocuments) {
    JVSchema const* oas = openapi30MetaSchema();
    ASSERT_NE(oas, nullptr);
    char const* document = R"({
        "openapi": "3.0.3",
        "info": {"title": "Pets", "version": "1.0.0"},
        "paths": {"/pets/{id}": {"get": {
            "parameters": [{"name": "id", "in": "path", "required": true, "schema": {"type": "integer"}}],
            "responses": {"200": {"description": "ok", "content": {"application/json": {
                "schema": {"$ref": "#/components/schemas/Pet"}}}}}}}},
        "components": {"schemas": {"Pet": {"type": "object", "required": ["id"],
            "properties": {"id": {"type": "integer", "format": "int64"}, "tag": {"type": "string", "nullable": true}}}}}})";
    JVValidationResult result;
    EXPECT_TRUE(valid(*oas, document, &result));
    // Alternatives tried on the way (a schema is not a reference) leave nothing behind.
    EXPECT_THAT(result.issues, IsEmpty());

    std::string broken = document;
    broken.replace(broken.find("\"in\": \"path\""), 12, "\"in\": \"body\"");
    EXPECT_FALSE(valid(*oas, broken, &result));
    EXPECT_FALSE(result.issues.empty());
}

TEST(Loaders, ServeDocumentsAndLocationsInsideThem) {
    int calls = 0;
    std::string lastUrl;
    registerSchemaLoader("test", [&](std::string const& url) -> std::unique_ptr<JVSchema> {
        ++calls;
        lastUrl = url;
        if (url != "http://loader.test/defs.json") return nullptr;
        auto doc = readJsonString(
            R"({"$schema": "http://json-schema.org/draft-04/schema#", "definitions": {"int": {"type": "integer"}}})");
        return std::make_unique<JVSchema>(*doc->root(), url);
    });
    EXPECT_EQ(schemaLoaders().count("test"), 1u);
    auto schema = compile("{" + d4 + R"(, "items": {"$ref": "http://loader.test/defs.json#/definitions/int"}})");
    EXPECT_TRUE(valid(*schema, "[1, 2]"));
    EXPECT_FALSE(valid(*schema, "[1, \"a\"]"));
    EXPECT_EQ(lastUrl, "http://loader.test/defs.json");
    EXPECT_EQ(calls, 1);
    // Unknown documents fail the reference silently.
    auto missing = compile("{" + d4 + R"(, "$ref": "http://loader.test/none.json"})");
    JVValidationResult result;
    EXPECT_FALSE(valid(*missing, "1", &result));
    EXPECT_THAT(result.issues, IsEmpty());
    unregisterSchemaLoader("test");
    EXPECT_EQ(schemaLoaders().count("test"), 0u);
}

TEST(References, CyclesEndWithAnIssueInsteadOfOverflowingTheStack) {
    JVValidationResult result;
    auto self = compile("{" + d4 + R"(, "$ref": "#"})");
    EXPECT_FALSE(valid(*self, "1", &result));
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_THAT(result.issues[0].message, ::testing::HasSubstr("refers to itself"));

    auto pair =
        compile("{" + d4 + R"(, "definitions": {"a": {"$ref": "#/definitions/b"}, "b": {"$ref": "#/definitions/a"}},
        "properties": {"p": {"$ref": "#/definitions/a"}}})");
    EXPECT_FALSE(valid(*pair, R"({"p": 1})", &result));

    // Recursion that follows the instance down is no cycle.
    auto tree = compile("{" + d4 + R"(, "type": "object", "properties": {"child": {"$ref": "#"}}})");
    EXPECT_TRUE(valid(*tree, R"({"child": {"child": {"child": {}}}})", &result));
    EXPECT_FALSE(valid(*tree, R"({"child": {"child": {"child": 1}}})", &result));
    EXPECT_THAT(result.issues.front().message, "type mismatch");
}

TEST(References, ForwardReferencesAndIdentifiersBesideThem) {
    // The target is compiled after the reference; lookup happens at validation time.
    auto forward = compile("{" + d4 + R"(, "properties": {"a": {"$ref": "#/definitions/late"}},
        "definitions": {"late": {"type": "string"}}})");
    EXPECT_FALSE(valid(*forward, R"({"a": 1})"));
    EXPECT_TRUE(valid(*forward, R"({"a": "s"})"));

    // An identifier beside "$ref" does not move the reference's base.
    auto sibling = compile("{" + d4 + R"(, "id": "http://example.test/base/",
        "definitions": {"n": {"id": "n.json", "type": "number"}, "s": {"id": "http://example.test/n.json", "type": "string"}},
        "allOf": [{"id": "http://example.test/", "$ref": "n.json"}]})");
    EXPECT_TRUE(valid(*sibling, "1"));
    EXPECT_FALSE(valid(*sibling, "\"a\""));
}

TEST(Results, AnnotationsAreKeyedByValueAndName) {
    auto doc = parse("[1, 2]");
    JV const* first = doc->root()->at(0);
    JVValidationResult result;
    result.addAnnotation(first, "itemsCount", std::make_unique<ItemsCountAnnotation>(1));
    result.addAnnotation(first, "itemsCount", std::make_unique<ItemsCountAnnotation>(2));
    result.addAnnotation(doc->root(), "itemsCount", std::make_unique<ItemsCountAnnotation>(3));
    EXPECT_EQ(result.annotations.size(), 2u);
    EXPECT_EQ(dynamic_cast<ItemsCountAnnotation*>(result.findAnnotation(first, "itemsCount"))->count, 2u);
    EXPECT_EQ(result.findAnnotation(first, "title"), nullptr);
    result.removeAnnotation(first, "itemsCount");
    result.removeAnnotation(first, "itemsCount");
    EXPECT_EQ(result.annotations.size(), 1u);
}

TEST(References, DeepInstancesAndDeepSchemasStayWithinTheStack) {
    // As deep as the JSON reader allows.
    constexpr int depth = 990;
    std::string nested = std::string(depth, '[') + "1" + std::string(depth, ']');
    auto arrays = compile("{" + d4 + R"(, "type": "array", "items": {"anyOf": [{"$ref": "#"}, {"type": "integer"}]}})");
    JVValidationResult result;
    EXPECT_TRUE(valid(*arrays, nested, &result));
    EXPECT_THAT(result.issues, IsEmpty());
    std::string wrong = std::string(depth, '[') + "\"s\"" + std::string(depth, ']');
    EXPECT_FALSE(valid(*arrays, wrong, &result));
    EXPECT_FALSE(result.issues.empty());

    std::string schemaText = "{" + d4 + ", ";
    for (int i = 0; i < depth / 2; ++i) schemaText += R"("not": {)";
    schemaText += "\"type\": \"string\"";
    for (int i = 0; i < depth / 2; ++i) schemaText += "}";
    schemaText += "}";
    auto nots = compile(schemaText);
    // An odd number (495) of negations around "string".
    EXPECT_FALSE(valid(*nots, "\"s\""));
    EXPECT_TRUE(valid(*nots, "1"));
}

TEST(Loaders, AreAskedOnlyForOtherDocumentsAndTheirFailuresAreReported) {
    std::vector<std::string> asked;
    registerSchemaLoader("strict", [&](std::string const& url) -> std::unique_ptr<JVSchema> {
        asked.push_back(url);
        throw std::runtime_error("no network here");
    });
    auto local = compile("{" + d4 + R"(, "id": "http://local.test/s.json", "properties": {"self": {"$ref": "#"},
        "def": {"$ref": "#/definitions/a"}}, "definitions": {"a": {"type": "integer"}}})");
    JVValidationResult result;
    EXPECT_TRUE(valid(*local, R"({"self": {"def": 1}, "def": 2})", &result));
    EXPECT_THAT(asked, IsEmpty());

    auto remote = compile("{" + d4 + R"(, "$ref": "http://remote.test/s.json#/definitions/a"})");
    EXPECT_FALSE(valid(*remote, "1", &result));
    EXPECT_THAT(asked, ElementsAre("http://remote.test/s.json"));
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_EQ(result.issues[0].message,
              "schema http://remote.test/s.json#/definitions/a cannot be loaded: no network here");
    unregisterSchemaLoader("strict");
}

TEST(References, LongChainsOfReferencesStopAtTheDepthLimit) {
    // Each definition refers to the next one for the same value: no cycle, but deeper than any real schema.
    auto chain = [](std::size_t length) {
        std::string text = "{" + d4 + R"(, "$ref": "#/definitions/d0", "definitions": {)";
        for (std::size_t i = 0; i < length; ++i) {
            text += fmt::format(R"("d{}": {{"$ref": "#/definitions/d{}"}}, )", i, i + 1);
        }
        text += fmt::format(R"("d{}": {{"type": "integer"}}}}}})", length);
        return compile(text);
    };
    JVValidationResult result;
    EXPECT_TRUE(valid(*chain(100), "1", &result));
    EXPECT_FALSE(valid(*chain(100), "\"s\"", &result));
    EXPECT_THAT(result.issues.front().message, "type mismatch");

    auto tooLong = chain(JVValidationResult::maxReferenceDepth + 10);
    EXPECT_FALSE(valid(*tooLong, "1", &result));
    ASSERT_EQ(result.issues.size(), 1u);
    EXPECT_THAT(result.issues[0].message, ::testing::HasSubstr("nests too deeply"));
}

TEST(References, ExponentialBranchingEndsWithinTheWorkBudget) {
    // At every level both branches fail only at the bottom, so without a budget the validation tries 2^30 paths.
    auto draft4 = compile("{" + d4 + R"(, "definitions": {
        "node": {"anyOf": [{"$ref": "#/definitions/a"}, {"$ref": "#/definitions/b"}]},
        "a": {"type": "object", "properties": {"c": {"$ref": "#/definitions/node"}}},
        "b": {"type": "object", "properties": {"c": {"$ref": "#/definitions/node"}}}},
        "$ref": "#/definitions/node"})");
    // From 2019-09 on "anyOf" evaluates every branch, so even a valid instance takes 2^30 paths.
    auto draft2020 = compile(R"({"$schema": "https://json-schema.org/draft/2020-12/schema", "$defs": {
        "node": {"anyOf": [{"$ref": "#/$defs/a"}, {"$ref": "#/$defs/b"}]},
        "a": {"properties": {"c": {"$ref": "#/$defs/node"}}},
        "b": {"properties": {"c": {"$ref": "#/$defs/node"}}}},
        "$ref": "#/$defs/node"})");
    std::string deep;
    for (int i = 0; i < 30; ++i) deep += R"({"c": )";
    deep += "0";
    deep += std::string(30, '}');
    auto instance = parse(deep);
    for (JVSchema const* schema : {draft4.get(), draft2020.get()}) {
        JVValidationResult result;
        EXPECT_FALSE(schema->validate(*instance, result));
        ASSERT_EQ(result.issues.size(), 1u);
        EXPECT_EQ(result.issues[0].message, "Validation aborted: the schema needs too much work for this instance");
        EXPECT_EQ(result.issues[0].pos, instance->root()->pos);
        // The result is usable for the next validation, which gets a budget of its own.
        EXPECT_TRUE(schema->validate(*parse(R"({"c": {"c": {}}})"), result));
    }
    // A few levels are well within the budget.
    std::string shallow = R"({"c": {"c": {"c": 0}}})";
    JVValidationResult result;
    EXPECT_FALSE(valid(*draft4, shallow, &result));
    EXPECT_THAT(result.issues, Contains(::testing::Field(&Issue::message, "type mismatch")));
    EXPECT_TRUE(valid(*draft2020, shallow, &result));
}
